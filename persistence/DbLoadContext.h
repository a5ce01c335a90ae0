#pragma once
#include <string>

class CDbLoadTarget;

// What one database load works with: the progress range it maps onto, the rows it expects and
// has handled, the connection parameters, the key the queries select by and what that key
// names, and the control the rows are for. The base part of COdbcSession.
class CDbLoadContext
{
public:
    // What the key ID names (any other value: the whole site).
    enum Scope { ScopeSite = 0, ScopeShape = 2, ScopeShapeAndChildren = 3 };

    CDbLoadContext() = default;
    virtual ~CDbLoadContext() = default;

    int progressWidth = 0;        // percent of the whole progress this load covers
    double progressStart = 0.0;   // percent covered before it
    int rowsTotal = 0;
    int rowsDone = 0;
    int lastPercent = 0;
    std::string dataSource;
    std::string userName;
    std::string password;
    int keyId = -1;               // the site ID or shape ID the queries select by
    CDbLoadTarget* target = nullptr;  // the control the rows go to (not owned); none: read only
    int scope = ScopeSite;

    // Records n rows done and sends the progress they make, when the total is known.
    void SetRowsDone(int n);
    // Sends the value when it differs from the last one sent, and keeps it.
    void SetPercent(int value);
};

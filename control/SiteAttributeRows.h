#pragma once
#include <windows.h>
#include <map>

class CControlCore;
class COdbcSession;

// The rows of a site's attribute model in the database, written anew by every site save as the
// save writes the site's other rows: the attribute groups (each given to the site by a
// SiteAttributes row, with its parent group), their types, the values its shapes hold and the
// links of its shapes to values and groups. New IDs come from counters read inside the save's
// transaction, above placeholder rows that keep other sessions out of the range (as the save
// does for shapes and points); the site's old rows go with the site's other rows (the delete
// body). What the database would not read back is left out: a type without a group, a value of
// a type that is not written, the links of shapes that are not stored.
class CSiteAttributeRows
{
public:
    explicit CSiteAttributeRows(CControlCore& control) : m_control(control) {}

    // The counters of the three tables, and a placeholder row above the range of each that the
    // model needs. A refused placeholder fails: the range is not ours.
    HRESULT Reserve(COdbcSession& session);
    // The rows, after the site's shapes have their database IDs.
    HRESULT Write(COdbcSession& session, int siteId, int scenarioId);
    // Removes the placeholders.
    HRESULT Release(COdbcSession& session);

    // Every group, type and value forgets its row (and the model's indexes of rows are emptied).
    static void ForgetDatabaseIds(CControlCore& control);

    // The database IDs of the model, to put back when a save is rolled back.
    struct Snapshot
    {
        std::map<int, int> groups;  // group ID -> database ID
        std::map<int, int> types;   // type ID -> database ID
        std::map<int, int> values;  // site key -> database ID
    };
    static Snapshot TakeSnapshot(CControlCore& control);
    static void RestoreSnapshot(CControlCore& control, const Snapshot& snapshot);

private:
    struct Range
    {
        const char* table;
        const char* column;
        int next = 1;         // the next ID handed out
        int placeholder = 0;  // 0: none written
    };
    HRESULT ReserveRange(COdbcSession& session, Range& range, int count);

    CControlCore& m_control;
    Range m_groups{"AttributeGroups", "AttributeGroupID"};
    Range m_types{"AttributeTypes", "AttributeTypeID"};
    Range m_values{"Attributes", "AttributeID"};
};

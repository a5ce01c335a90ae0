#pragma once
// IVImporter: what a host sees of an importer, its table of virtual functions in this order;
// CVImporter: the defaults of every slot, the reference count and the notifier part. A converter
// class appends its own virtual functions after the last slot (the destructor comes first), so
// slots 0 to 14 never move.
#include "afx/String.h"
#include "common/NotifierHelper.h"
#include "common/RealPoint.h"

class IVImporter
{
public:
    virtual long Release() = 0;                                                          // 0
    virtual long AddRef() = 0;                                                           // 1
    virtual long GetRefCount() = 0;                                                      // 2
    virtual int ReadyImport(unsigned long option, unsigned long value) = 0;              // 3
    virtual int SetOption(unsigned long option, unsigned long value) = 0;                // 4
    virtual int Import(const CString& path, unsigned long option, unsigned long value) = 0;  // 5
    virtual CRealPoint<double> GetShift() = 0;                                           // 6
    virtual double GetScale() = 0;                                                       // 7
    virtual CRealPoint<double> GetBase() = 0;                                            // 8
    virtual double GetRotation() = 0;                                                    // 9
    virtual CString GetInfoString1() = 0;                                                // 10
    virtual CString GetInfoString2() = 0;                                                // 11
    virtual CString GetInfoString3() = 0;                                                // 12
    virtual int GetState() = 0;                                                          // 13
    virtual CString GetLastErrorText() = 0;                                              // 14

protected:
    ~IVImporter() = default;
};

class CVImporter : public IVImporter, public CVNotifierHelper
{
public:
    CVImporter(IYVEXControlPtr control, void* user, ProgressCallback callback)
        : CVNotifierHelper(control, user, callback)
    {
    }
    CVImporter(IYVEXControlPtr control, const CProgressNotifier& notifier) : CVNotifierHelper(control, notifier) {}
    CVImporter(const CVImporter&) = default;
    CVImporter& operator=(const CVImporter&) = default;

    // The count starts at 0: a Release right after creation frees the object and answers -1.
    long Release() override;
    long AddRef() override { return ++m_refCount; }
    long GetRefCount() override { return m_refCount; }
    int ReadyImport(unsigned long, unsigned long) override { return TRUE; }
    int SetOption(unsigned long, unsigned long) override { return TRUE; }
    CRealPoint<double> GetShift() override { return CRealPoint<double>(0, 0); }
    double GetScale() override { return 1.0; }
    CRealPoint<double> GetBase() override { return CRealPoint<double>(0, 0); }
    double GetRotation() override { return 0.0; }
    CString GetInfoString1() override { return CString(); }
    CString GetInfoString2() override { return CString(); }
    CString GetInfoString3() override { return CString(); }
    int GetState() override { return CVNotifierHelper::GetState(); }
    CString GetLastErrorText() override { return CVNotifierHelper::GetLastErrorText(); }

    // Slot 15: the whole object goes through it (Release, the release exports).
    virtual ~CVImporter() = default;

protected:
    long m_refCount = 0;
};

// Frees an importer whatever its count (the release exports); null is ignored.
inline void DeleteImporter(IVImporter* importer) { delete static_cast<CVImporter*>(importer); }

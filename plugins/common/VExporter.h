#pragma once
// IVExporter: what a host sees of an exporter, its table of virtual functions in this order
// (a host declares the same slots for itself); CVExporter: the defaults of every slot, the
// reference count and the notifier part. A converter class appends its own virtual functions
// after the last slot (the destructor comes first), so slots 0 to 11 never move.
#include "afx/String.h"
#include "common/NotifierHelper.h"
#include "common/RealPoint.h"

class IVExporter
{
public:
    virtual long Release() = 0;                                                          // 0
    virtual long AddRef() = 0;                                                           // 1
    virtual long GetRefCount() = 0;                                                      // 2
    virtual int ReadyExport(unsigned long option, unsigned long value) = 0;              // 3
    virtual int SetOption(unsigned long option, unsigned long value) = 0;                // 4
    virtual int Export(const CString& path, unsigned long option, unsigned long value) = 0;  // 5
    virtual void SetShift(CRealPoint<double> shift) = 0;                                 // 6
    virtual void SetScale(double scale) = 0;                                             // 7
    virtual void SetBase(CRealPoint<double> base) = 0;                                   // 8
    virtual void SetRotation(double radians) = 0;                                        // 9
    virtual int GetState() = 0;                                                          // 10
    virtual CString GetLastErrorText() = 0;                                              // 11

protected:
    ~IVExporter() = default;
};

class CVExporter : public IVExporter, public CVNotifierHelper
{
public:
    CVExporter(IYVEXControlPtr control, void* user, ProgressCallback callback)
        : CVNotifierHelper(control, user, callback)
    {
    }
    CVExporter(IYVEXControlPtr control, const CProgressNotifier& notifier) : CVNotifierHelper(control, notifier) {}
    CVExporter(const CVExporter&) = default;
    CVExporter& operator=(const CVExporter&) = default;

    // The count starts at 0: a Release right after creation frees the object and answers -1.
    long Release() override;
    long AddRef() override { return ++m_refCount; }
    long GetRefCount() override { return m_refCount; }
    int ReadyExport(unsigned long, unsigned long) override { return TRUE; }
    int SetOption(unsigned long, unsigned long) override { return TRUE; }
    void SetShift(CRealPoint<double>) override {}
    void SetScale(double) override {}
    void SetBase(CRealPoint<double>) override {}
    void SetRotation(double) override {}
    int GetState() override { return CVNotifierHelper::GetState(); }
    CString GetLastErrorText() override { return CVNotifierHelper::GetLastErrorText(); }

    // Slot 12: the whole object goes through it (Release, the release exports).
    virtual ~CVExporter() = default;

protected:
    long m_refCount = 0;
};

// Frees an exporter whatever its count (the release exports); null is ignored.
inline void DeleteExporter(IVExporter* exporter) { delete static_cast<CVExporter*>(exporter); }

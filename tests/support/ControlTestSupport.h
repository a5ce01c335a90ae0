#pragma once
// What the tests of the control object share: the module of the test program standing in for
// yvex.dll (its type library and resources are compiled in) and a control object made and
// released as the class factory would; the hosts' sink and helpers come with them.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <string>
#include <vector>
#include "com/ComObject.h"
#include "com/Module.h"
#include "control/YVEXControl.h"
#include "tests/support/HostSupport.h"
#include "YVEX_h.h"

namespace controltest {

// OLE, Rich Edit (which yvex.dll loads when it is attached) and the test program as the module.
class ModuleEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        OleInitialize(nullptr);
        m_richEdit = LoadLibraryW(L"riched32.dll");
        ycom::TheModule().Init(nullptr, 0, GetModuleHandleW(nullptr), LIBID_YVEXLib);
    }
    void TearDown() override
    {
        OleUninitialize();
    }

private:
    HMODULE m_richEdit = nullptr;
};

// A control object as the class factory makes it, without the inner objects of the final
// construction (those live in the registered DLL).
class ControlRef
{
public:
    ControlRef() : m_control(new ycom::ComObject<CYVEXControl>())
    {
        m_control->InternalAddRef();
    }
    ~ControlRef() { Reset(); }
    ControlRef(const ControlRef&) = delete;
    ControlRef& operator=(const ControlRef&) = delete;
    CYVEXControl* operator->() const { return m_control; }
    CYVEXControl& operator*() const { return *m_control; }
    CYVEXControl* Get() const { return m_control; }
    void Reset()
    {
        if (m_control)
            m_control->Release();
        m_control = nullptr;
    }

private:
    ycom::ComObject<CYVEXControl>* m_control;
};

using hosttest::Connection;
using hosttest::EventSink;

} // namespace controltest

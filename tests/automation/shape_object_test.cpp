// The shape object at its COM boundary: whatever throws inside one of its members (or while it
// is made) reaches the client as the member's result, never as an exception.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <new>
#include <stdexcept>
#include "automation/ShapeObject.h"
#include "com/ComObject.h"
#include "com/Guard.h"
#include "com/Module.h"
#include "com/Owners.h"
#include "YVEX_h.h"

namespace {

// The hook in force for one test: the guard of every member of the interface runs it first.
class ThrowingHook
{
public:
    explicit ThrowingHook(ycom::GuardHook hook) : m_previous(ycom::SetGuardHook(hook)) {}
    ~ThrowingHook() { ycom::SetGuardHook(m_previous); }
    ThrowingHook(const ThrowingHook&) = delete;
    ThrowingHook& operator=(const ThrowingHook&) = delete;

private:
    ycom::GuardHook m_previous;
};

void ShapeOutOfMemory(const IID& iid)
{
    if (iid == IID_IShape)
        throw std::bad_alloc();
}

void ShapeFails(const IID& iid)
{
    if (iid == IID_IShape)
        throw std::runtime_error("the shape went away");
}

void ShapeThrowsAnything(const IID& iid)
{
    if (iid == IID_IShape)
        throw 42;
}

ycom::ComPtr<IShape> NewShapeObject()
{
    ycom::ComPtr<IShape> shape;
    EXPECT_EQ(ycom::CreateInstance<CShapeObject>(nullptr, IID_IShape, shape.PutVoid()), S_OK);
    return shape;
}

// Reads the ID property the way a script client does, through IDispatch::Invoke.
HRESULT InvokeId(IShape* shape)
{
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    ycom::Variant result;
    EXCEPINFO excep = {};
    UINT argErr = 0;
    return shape->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.Get(), &excep,
                         &argErr);
}

// The thread's error info, as a client reads it after a failure.
struct ErrorText
{
    bool present = false;
    std::wstring description;
    GUID guid = GUID_NULL;
};

ErrorText ReadErrorInfo()
{
    ErrorText out;
    ycom::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info)
        return out;
    out.present = true;
    ycom::Bstr text;
    info->GetDescription(text.Put());
    out.description = text.CStr();
    info->GetGUID(&out.guid);
    return out;
}

} // namespace

TEST(ShapeObjectGuard, OutOfMemoryInAMemberReachesTheClientAsItsResult)
{
    ycom::ComPtr<IShape> shape = NewShapeObject();
    ASSERT_TRUE(shape);
    ThrowingHook hook(&ShapeOutOfMemory);
    UINT count = 0;
    EXPECT_EQ(shape->GetTypeInfoCount(&count), E_OUTOFMEMORY);
    ycom::ComPtr<ITypeInfo> info;
    EXPECT_EQ(shape->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put()), E_OUTOFMEMORY);
    LPOLESTR name = const_cast<LPOLESTR>(L"ID");
    DISPID id = 0;
    EXPECT_EQ(shape->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), E_OUTOFMEMORY);
    EXPECT_EQ(InvokeId(shape.Get()), E_OUTOFMEMORY);
    EXPECT_FALSE(ReadErrorInfo().present) << "an out-of-memory result leaves no stale error behind";
}

TEST(ShapeObjectGuard, OtherExceptionsAnswerUnexpectedWithErrorInfo)
{
    ycom::ComPtr<IShape> shape = NewShapeObject();
    ASSERT_TRUE(shape);
    ycom::ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(shape->QueryInterface(IID_ISupportErrorInfo, support.PutVoid()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IShape), S_OK);

    struct Case
    {
        ycom::GuardHook hook;
        const wchar_t* description;
    };
    const Case cases[] = {
        {&ShapeFails, L"the shape went away"},
        {&ShapeThrowsAnything, L"Unexpected error."},
    };
    for (const Case& c : cases) {
        ThrowingHook hook(c.hook);
        EXPECT_EQ(InvokeId(shape.Get()), E_UNEXPECTED) << c.description;
        const ErrorText error = ReadErrorInfo();
        EXPECT_TRUE(error.present) << c.description;
        EXPECT_EQ(error.description, c.description);
        EXPECT_TRUE(error.guid == IID_IShape) << c.description;
    }
}

TEST(ShapeObjectGuard, ObjectThatCannotBeMadeLeavesNothingBehind)
{
    const LONG locks = ycom::TheModule().LockCount();
    ThrowingHook hook(&ShapeOutOfMemory);
    IShape* shape = reinterpret_cast<IShape*>(1);
    EXPECT_EQ(ycom::CreateInstance<CShapeObject>(nullptr, IID_IShape, reinterpret_cast<void**>(&shape)),
              E_OUTOFMEMORY);
    EXPECT_EQ(shape, nullptr);
    EXPECT_EQ(ycom::TheModule().LockCount(), locks) << "no object is left alive";
}

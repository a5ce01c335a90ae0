#pragma once
// The outside web download component that PersistWeb drives: it keeps the server settings,
// downloads a site's package into a local folder and reports through the dispatch interface
// _IPersistWebEventHandler. Only the members the control calls are named; the two others keep
// their places in the table.
#include <windows.h>
#include <oaidl.h>

// {5A7A2227-F7D9-4BB0-A80D-0DAAA5C38855}
static const CLSID CLSID_WebDownloadComponent = {0x5a7a2227, 0xf7d9, 0x4bb0, {0xa8, 0x0d, 0x0d, 0xaa, 0xa5, 0xc3, 0x88, 0x55}};
// {52B2457A-556A-453A-AFA6-D54924133359}
static const IID IID_IWebDownloadComponent = {0x52b2457a, 0x556a, 0x453a, {0xaf, 0xa6, 0xd5, 0x49, 0x24, 0x13, 0x33, 0x59}};

struct IWebDownloadComponent : public IDispatch
{
    // Entries 7 to 14.
    virtual HRESULT STDMETHODCALLTYPE get_Project(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Project(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_URL(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_URL(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_User(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_User(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Password(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Password(BSTR value) = 0;
    // Entry 15: the site's package into a local folder (empty when it failed).
    virtual HRESULT STDMETHODCALLTYPE Download(LONG siteId, LONG reserved, BSTR* folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused16() = 0;
    // Entry 17: the event sink (_IPersistWebEventHandler), or null to detach.
    virtual HRESULT STDMETHODCALLTYPE AttachEventSink(IDispatch* sink) = 0;
    // Entry 18.
    virtual HRESULT STDMETHODCALLTYPE get_LastErrorText(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused19() = 0;
    // Entry 20.
    virtual HRESULT STDMETHODCALLTYPE get_LastErrorCode(LONG* code) = 0;
};

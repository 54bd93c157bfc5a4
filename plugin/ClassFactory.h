#pragma once
#include "base/Win32.h"
#include <unknwn.h>

// Makes one COM object of the module, plain (outer null) or aggregated, and answers riid.
using ObjectCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** object);

// The class object of one class: creates instances and really counts LockServer, so that a
// player holding the factory locked keeps the module loaded. It holds a module lock of its
// own only while somebody references it; the module keeps one cached factory for its life.
class CClassFactory : public IClassFactory {
public:
    explicit CClassFactory(ObjectCreator creator) : m_creator(creator) {}
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;
    virtual ~CClassFactory() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ObjectCreator m_creator;
    LONG volatile m_references = 0;
    // The LockServer(TRUE) calls not yet matched by a LockServer(FALSE).
    LONG volatile m_serverLocks = 0;
};

// DllGetClassObject's work: the cached factory of CLSID_TervanePlugin, or
// CLASS_E_CLASSNOTAVAILABLE; E_POINTER for a null out pointer.
HRESULT GetPluginClassObject(REFCLSID clsid, REFIID riid, void** object);
// Drops the cached factory when the module goes.
void ReleasePluginClassObject();

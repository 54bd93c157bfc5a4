#include "plugin/ClassFactory.h"

#include <new>

#include "plugin/Guids.h"
#include "plugin/Module.h"
#include "plugin/TervanePlugin.h"

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory)
        return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

// The factory object itself lives as long as the module; its references only hold the
// module lock while a caller keeps it.
STDMETHODIMP_(ULONG) CClassFactory::AddRef()
{
    const LONG count = InterlockedIncrement(&m_references);
    if (count == 1)
        Module::Lock();
    return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CClassFactory::Release()
{
    const LONG count = InterlockedDecrement(&m_references);
    if (count == 0)
        Module::Unlock();
    return static_cast<ULONG>(count > 0 ? count : 0);
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    // An aggregating caller can only ask for the inner IUnknown.
    if (outer != nullptr && riid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    return m_creator(outer, riid, object);
}

// Only an unlock that matches a lock of this factory lowers the count: an unmatched one would
// take the lock of a live object away.
STDMETHODIMP CClassFactory::LockServer(BOOL lock)
{
    if (lock) {
        InterlockedIncrement(&m_serverLocks);
        Module::Lock();
        return S_OK;
    }
    if (Module::DecrementIfPositive(m_serverLocks))
        Module::Unlock();
    return S_OK;
}

namespace {

CClassFactory* g_factory = nullptr;

} // namespace

HRESULT GetPluginClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_TervanePlugin)
        return CLASS_E_CLASSNOTAVAILABLE;
    if (g_factory == nullptr) {
        g_factory = new (std::nothrow) CClassFactory(&CTervanePlugin::CreateInstance);
        if (g_factory == nullptr)
            return E_OUTOFMEMORY;
    }
    return g_factory->QueryInterface(riid, object);
}

void ReleasePluginClassObject()
{
    delete g_factory;
    g_factory = nullptr;
}

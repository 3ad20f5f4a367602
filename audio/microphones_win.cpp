#include "audio/microphones.h"

#include <windows.h>

#include <initguid.h>  // the interface ids and the property key are defined here
#include <mmdeviceapi.h>
#include <functiondiscoverykeys_devpkey.h>

#include "diag/scoped_win.h"
#include "diag/log.h"

namespace {

std::wstring idOf(IMMDevice* device) {
    CoTaskMemPtr<wchar_t> id;
    if (FAILED(device->GetId(id.put())) || id.get() == nullptr) return {};
    return id.get();
}

std::wstring friendlyNameOf(IMMDevice* device) {
    ComPtr<IPropertyStore> store;
    if (FAILED(device->OpenPropertyStore(STGM_READ, store.put()))) return {};
    PROPVARIANT value;
    PropVariantInit(&value);
    std::wstring name;
    if (SUCCEEDED(store->GetValue(PKEY_Device_FriendlyName, &value)) && value.vt == VT_LPWSTR &&
        value.pwszVal != nullptr)
        name = value.pwszVal;
    PropVariantClear(&value);
    return name;
}

std::vector<MicDevice> enumerate() {
    std::vector<MicDevice> devices;
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(CoCreateInstance(CLSID_MMDeviceEnumerator, nullptr, CLSCTX_ALL, IID_IMMDeviceEnumerator,
                                enumerator.putVoid()))) {
        logLine(L"XATO: IMMDeviceEnumerator yaratilmadi");
        return devices;
    }
    std::wstring defaultId;
    {
        ComPtr<IMMDevice> device;
        if (SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eCapture, eCommunications, device.put())) && device)
            defaultId = idOf(device.get());
    }
    ComPtr<IMMDeviceCollection> collection;
    if (FAILED(enumerator->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, collection.put()))) return devices;
    UINT count = 0;
    if (FAILED(collection->GetCount(&count))) count = 0;
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        if (FAILED(collection->Item(i, device.put())) || !device) continue;
        MicDevice mic;
        mic.id = idOf(device.get());
        mic.name = friendlyNameOf(device.get());
        if (mic.id.empty()) continue;
        mic.kind = classifyMicrophone(mic.name);
        mic.isDefault = mic.id == defaultId;
        devices.push_back(std::move(mic));
    }
    return devices;  // the collection, then the enumerator, are released here
}

}  // namespace

std::vector<MicDevice> listMicrophones() {
    const ComInitialization com;
    std::vector<MicDevice> devices = enumerate();
    sortMicrophones(devices);
    return devices;
}

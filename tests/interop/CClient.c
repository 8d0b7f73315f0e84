/* A plain C client of the component. The generated C header and the two
 * identifier files (IEventInfoServer_i.c, EventServerInterfaces_i.c) are all
 * it needs; it calls through each interface's function table (lpVtbl).
 *
 * It creates the object by its ProgID, loads the project the registry names
 * and checks the answers against the small project of tests/interop/data.
 *
 *   CClient [--mta] [DATA_DIRECTORY]
 *
 * With a directory it first points the registry value at DATA_DIRECTORY.
 * With --mta it runs in the multithreaded apartment, as a multithreaded
 * host does, and calls the object through the marshaler's proxies.
 * Exit status: 0 when every answer was right, 1 when one was wrong, 2 when
 * COM or the registry could not be set up. */

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "IEventInfoServer.h"

static int failures = 0;

static void Check(int ok, const char* what) {
    printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++failures;
}

/* The elements of a one-dimensional array in a VARIANT of the given type. */
static void* Elements(const VARIANT* value, VARTYPE type, ULONG* count) {
    *count = 0;
    if (V_VT(value) != (VT_ARRAY | type) || SafeArrayGetDim(V_ARRAY(value)) != 1) return NULL;
    *count = V_ARRAY(value)->rgsabound[0].cElements;
    return V_ARRAY(value)->pvData;
}

static int TextsAre(const char* label, const VARIANT* value, const wchar_t* const* expected, ULONG expectedCount) {
    ULONG count = 0, i;
    BSTR* texts = Elements(value, VT_BSTR, &count);
    int same = texts != NULL && count == expectedCount;
    printf("     %s:", label);
    for (i = 0; i < count; ++i) {
        printf(" \"%ls\"", texts[i] ? texts[i] : L"");
        if (same && wcscmp(texts[i] ? texts[i] : L"", expected[i]) != 0) same = 0;
    }
    printf("\n");
    return same;
}

static int LongsAre(const char* label, const VARIANT* value, const LONG* expected, ULONG expectedCount) {
    ULONG count = 0, i;
    LONG* numbers = Elements(value, VT_I4, &count);
    int same = numbers != NULL && count == expectedCount;
    printf("     %s:", label);
    for (i = 0; i < count; ++i) {
        printf(" 0x%lX", (unsigned long)numbers[i]);
        if (same && numbers[i] != expected[i]) same = 0;
    }
    printf("\n");
    return same;
}

static void CheckDevices(IUMCInfo* info) {
    static const wchar_t* const names[] = {L"PLC1", L"PLC2"};
    static const wchar_t* const checkSums[] = {L"12AB34CD", L"99EE0011"};
    static const wchar_t* const addresses[] = {L"2", L"3"};
    VARIANT devNames, sums, busAddresses;
    tagAlarmTypes alarms = ALARM_TYPE_NONE;
    tagIUMCErrors error = IUMC_ERROR_XMLFILE_GENERAL;
    HRESULT hr;
    VariantInit(&devNames);
    VariantInit(&sums);
    VariantInit(&busAddresses);
    hr = info->lpVtbl->GetDevices(info, &devNames, &sums, &busAddresses, &alarms, &error);
    Check(hr == S_OK && error == IUMC_OK, "GetDevices");
    Check(TextsAre("devices", &devNames, names, 2), "device names");
    Check(TextsAre("check sums", &sums, checkSums, 2), "check sums");
    Check(TextsAre("bus addresses", &busAddresses, addresses, 2), "bus addresses");
    printf("     alarm types: 0x%X\n", (unsigned)alarms);
    Check(alarms == (ALARM_TYPE_PROJECT | ALARM_TYPE_TO | ALARM_TYPE_DIAGBUFFER), "alarm types");
    VariantClear(&devNames);
    VariantClear(&sums);
    VariantClear(&busAddresses);
}

static void CheckTOs(IUMCInfo* info) {
    static const wchar_t* const toNames[] = {L"Conveyor"};
    static const wchar_t* const runtimeAddresses[] = {L"1"};
    BSTR device = SysAllocString(L"PLC1");
    VARIANT names, addresses;
    tagIUMCErrors error = IUMC_ERROR_XMLFILE_GENERAL;
    HRESULT hr;
    VariantInit(&names);
    VariantInit(&addresses);
    hr = info->lpVtbl->GetTOs(info, device, &names, &addresses, &error);
    Check(hr == S_OK && error == IUMC_OK, "GetTOs PLC1");
    Check(TextsAre("TOs", &names, toNames, 1), "TO names");
    Check(TextsAre("runtime addresses", &addresses, runtimeAddresses, 1), "runtime addresses");
    VariantClear(&names);
    VariantClear(&addresses);
    SysFreeString(device);
}

static void CheckConnectionInfo(IUMCInfo* info) {
    BSTR device = SysAllocString(L"PLC1");
    VARIANT value;
    tagIUMCErrors error = IUMC_ERROR_XMLFILE_GENERAL;
    HRESULT hr;
    VariantInit(&value);
    hr = info->lpVtbl->GetConnectionInfo(info, &device, CONFIG_TIMEOUT, &value, &error);
    printf("     TIMEOUT: type %u value %lu\n", (unsigned)V_VT(&value),
           V_VT(&value) == VT_UI4 ? (unsigned long)V_UI4(&value) : 0ul);
    Check(hr == S_OK && error == IUMC_OK && V_VT(&value) == VT_UI4 && V_UI4(&value) == 5000,
          "GetConnectionInfo PLC1 CONFIG_TIMEOUT");
    VariantClear(&value);
    SysFreeString(device);
}

static void CheckCategories(IEventModel* model) {
    static const LONG ids[] = {0x100002, 0x200001, 0x200021};
    static const wchar_t* const descriptions[] = {L"System diagnosis", L"User alarms", L"Positioning axes"};
    VARIANT categoryIds, texts;
    HRESULT hr;
    VariantInit(&categoryIds);
    VariantInit(&texts);
    hr = model->lpVtbl->GetCategories(model, 0x70, &categoryIds, &texts);
    Check(hr == S_OK, "GetCategories");
    Check(LongsAre("category ids", &categoryIds, ids, 3), "category ids");
    Check(TextsAre("descriptions", &texts, descriptions, 3), "category descriptions");
    VariantClear(&categoryIds);
    VariantClear(&texts);
}

/* Without events ResolveEvents tells whether a message language is known:
 * S_OK for German, S_FALSE for Japanese. */
static void CheckLanguages(IEventModel* model) {
    static const struct {
        LONG language;
        HRESULT expected;
        const char* what;
    } rows[] = {{0x0407, S_OK, "ResolveEvents knows German (0x0407)"},
                {0x0411, S_FALSE, "ResolveEvents does not know Japanese (0x0411)"}};
    size_t row;
    for (row = 0; row < sizeof rows / sizeof rows[0]; ++row) {
        VARIANT none, out[6];
        HRESULT hr;
        int i;
        VariantInit(&none);
        for (i = 0; i < 6; ++i) VariantInit(&out[i]);
        hr = model->lpVtbl->ResolveEvents(model, 0, rows[row].language, none, none, none, none, &out[0], &out[1],
                                          &out[2], &out[3], &out[4], &out[5]);
        Check(hr == rows[row].expected && V_VT(&out[5]) == VT_EMPTY, rows[row].what);
        for (i = 0; i < 6; ++i) VariantClear(&out[i]);
    }
}

/* One raw event of the user alarm category resolves to its category. */
static SAFEARRAY* OneText(const wchar_t* text) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 1);
    LONG index = 0;
    BSTR value = SysAllocString(text);
    if (array) SafeArrayPutElement(array, &index, value);
    SysFreeString(value);
    return array;
}

static void CheckResolution(IEventModel* model) {
    VARIANT names, sources, none, out[6];
    LONG handle = 0, index = 0, category = 0, result = E_FAIL;
    HRESULT hr;
    int i;
    VariantInit(&none);
    for (i = 0; i < 6; ++i) VariantInit(&out[i]);
    V_VT(&names) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&names) = OneText(L"Alarm17");
    V_VT(&sources) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&sources) = OneText(L"/PLC1/U7SQ");
    hr = model->lpVtbl->CreateSubscription(model, &handle);
    if (hr == S_OK)
        hr = model->lpVtbl->ResolveEvents(model, handle, 0x0409, names, sources, none, none, &out[0], &out[1], &out[2],
                                          &out[3], &out[4], &out[5]);
    if (hr == S_OK && V_VT(&out[2]) == (VT_ARRAY | VT_I4)) SafeArrayGetElement(V_ARRAY(&out[2]), &index, &category);
    if (hr == S_OK && V_VT(&out[5]) == (VT_ARRAY | VT_I4)) SafeArrayGetElement(V_ARRAY(&out[5]), &index, &result);
    Check(hr == S_OK && category == 0x200001 && result == S_OK, "ResolveEvents resolves Alarm17 of /PLC1/U7SQ");
    model->lpVtbl->DeleteSubscription(model, handle);
    VariantClear(&names);
    VariantClear(&sources);
    for (i = 0; i < 6; ++i) VariantClear(&out[i]);
}

static void Run(void) {
    CLSID clsid;
    IEventInfoInit* init = NULL;
    IUMCInfo* info = NULL;
    IEventModel* model = NULL;
    HRESULT hr = CLSIDFromProgID(L"CorvalisEventInfo.EventInfoObj", &clsid);
    Check(hr == S_OK && IsEqualCLSID(&clsid, &CLSID_EventInfoObj), "the ProgID names the class");
    if (FAILED(hr)) return;
    hr = CoCreateInstance(&clsid, NULL, CLSCTX_INPROC_SERVER, &IID_IEventInfoInit, (void**)&init);
    Check(hr == S_OK, "CoCreateInstance");
    if (FAILED(hr)) return;
    Check(init->lpVtbl->ParseXML(init, NULL) == S_OK, "ParseXML");

    if (SUCCEEDED(init->lpVtbl->QueryInterface(init, &IID_IUMCInfo, (void**)&info))) {
        CheckDevices(info);
        CheckTOs(info);
        CheckConnectionInfo(info);
        info->lpVtbl->Release(info);
    } else {
        Check(0, "QueryInterface IUMCInfo");
    }
    if (SUCCEEDED(init->lpVtbl->QueryInterface(init, &IID_IEventModel, (void**)&model))) {
        CheckCategories(model);
        CheckLanguages(model);
        CheckResolution(model);
        model->lpVtbl->Release(model);
    } else {
        Check(0, "QueryInterface IEventModel");
    }
    init->lpVtbl->Release(init);
}

static int SetDataDirectory(const char* directory) {
    HKEY key = NULL;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORBANEX\\TALMERO_NET\\General\\Paths", 0, NULL, 0,
                                  KEY_SET_VALUE, NULL, &key, NULL);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, "VELOX_DataPath", 0, REG_SZ, (const BYTE*)directory, (DWORD)strlen(directory) + 1);
        RegCloseKey(key);
    }
    return status == ERROR_SUCCESS;
}

int main(int argc, char** argv) {
    int multithreaded = argc > 1 && strcmp(argv[1], "--mta") == 0;
    const char* directory = argc > 1 + multithreaded ? argv[1 + multithreaded] : NULL;
    if (directory && !SetDataDirectory(directory)) {
        fprintf(stderr, "cannot set the data directory value\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(NULL, multithreaded ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED))) return 2;
    printf("in the %s apartment\n", multithreaded ? "multithreaded" : "single-threaded");
    Run();
    CoUninitialize();
    if (failures) {
        printf("%d check(s) failed\n", failures);
        return 1;
    }
    printf("all checks passed\n");
    return 0;
}

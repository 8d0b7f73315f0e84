#include "loading/ParseFailure.h"

#include <wrl/client.h>

#include "loading/ComValues.h"
#include "loading/SystemMessage.h"
#include "loading/TextConversion.h"

using Microsoft::WRL::ComPtr;

namespace {

// The SAX interfaces' ids, which the cross-compiler's libraries leave out.
constexpr IID kSaxReader = {0xa4f96ed0, 0xf829, 0x476e, {0x81, 0xc0, 0xcd, 0xc7, 0xbd, 0x2a, 0x08, 0x02}};
constexpr IID kSaxErrorHandler = {0xa60511c4, 0xccf5, 0x479e, {0x98, 0xa3, 0xdc, 0x8d, 0xc5, 0x45, 0xb7, 0xd0}};

struct ParserStop {
    std::wstring reason;
    long line = 0;
    long column = 0;
};

std::wstring Describe(const ParserStop& stop) {
    return stop.reason + L" (line " + std::to_wstring(stop.line) + L", column " + std::to_wstring(stop.column) + L")";
}

ParserStop DomParseError(IXMLDOMDocument* document) {
    ParserStop stop;
    ComPtr<IXMLDOMParseError> error;
    if (FAILED(document->get_parseError(&error)) || !error) return stop;
    Bstr reason;
    error->get_line(&stop.line);
    error->get_linepos(&stop.column);
    error->get_reason(reason.Receive());
    stop.reason = WithoutFinalStop(BstrView(reason.Get()));
    return stop;
}

// Keeps the first error the reader reports. It lives on the stack of the
// parse and outlives the reader that holds it.
class FirstError final : public ISAXErrorHandler {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = riid == IID_IUnknown || riid == kSaxErrorHandler ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP error(ISAXLocator* locator, const wchar_t* message, HRESULT code) override {
        Keep(locator, message);
        return code;
    }
    STDMETHODIMP fatalError(ISAXLocator* locator, const wchar_t* message, HRESULT code) override {
        Keep(locator, message);
        return code;
    }
    STDMETHODIMP ignorableWarning(ISAXLocator*, const wchar_t*, HRESULT) override { return S_OK; }

    const ParserStop& Stop() const { return m_stop; }

private:
    void Keep(ISAXLocator* locator, const wchar_t* message) {
        if (!m_stop.reason.empty() || !message) return;
        m_stop.reason = WithoutFinalStop(message);
        if (!locator) return;
        int line = 0, column = 0;
        locator->getLineNumber(&line);
        locator->getColumnNumber(&column);
        m_stop.line = line;
        m_stop.column = column;
    }

    ParserStop m_stop;
};

ParserStop SaxParseError(const VARIANT& bytes) {
    FirstError handler;
    CLSID clsid{};
    ComPtr<ISAXXMLReader> reader;
    if (FAILED(CLSIDFromProgID(L"Msxml2.SAXXMLReader.3.0", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kSaxReader, &reader)) ||
        FAILED(reader->putErrorHandler(&handler)))
        return {};
    reader->parse(bytes);
    reader.Reset();
    return handler.Stop();
}

}  // namespace

std::wstring DescribeParseFailure(IXMLDOMDocument* document, const VARIANT& bytes) {
    const ParserStop dom = DomParseError(document);
    if (dom.line > 0 && !dom.reason.empty()) return Describe(dom);
    const ParserStop sax = SaxParseError(bytes);
    if (!sax.reason.empty()) return Describe(sax);
    return dom.reason;
}

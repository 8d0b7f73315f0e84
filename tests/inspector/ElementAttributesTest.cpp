// The inspector's read of an element's attributes through the attribute map
// gives what the selection of every attribute gives, namespace declarations
// and their failing map items included.

#include <gtest/gtest.h>

#include "loading/ComValues.h"
#include "tools/eventinfo/ElementAttributes.h"

namespace {

TEST(InspectorElementAttributes, MapReadEqualsTheSelection) {
    std::wstring many = L"<e";
    for (int i = 0; i < 200; ++i) many += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    many += L"/>";
    const std::wstring cases[] = {
        L"<e/>",
        L"<e MSG0407=\"Text\" MSG0409=\"\" Severity=\"5\"/>",
        L"<e xmlns=\"urn:x\" MSG0407=\"a\" xmlns:p=\"urn:p\" p:MSG0409=\"b\" MSG0009=\"c\"/>",
        L"<e MSG0407=\"a\" xmlns:p=\"urn:p\" MSG0409=\"b\"/>",
        L"<e MSG0407=\"&#10;a&amp;b\"/>",
        many,
    };
    for (const std::wstring& markup : cases) {
        const DomDocument document = CreateDomDocument();
        ASSERT_TRUE(document);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        document->loadXML(Bstr(markup).Get(), &loaded);
        ASSERT_EQ(loaded, VARIANT_TRUE) << markup.size();
        const DomNode element = DocumentRoot(document.Get());
        Attributes selected;
        ForEachAttribute(element.Get(), [&](const std::wstring& name, std::wstring value) {
            selected.emplace_back(name, std::move(value));
        });
        EXPECT_EQ(AttributesOf(element.Get()), selected) << markup.size();
    }
}

}  // namespace

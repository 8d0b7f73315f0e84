// Documents of the platform's DOM, created through the class object the
// component keeps.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "loading/DomClassObject.h"
#include "tests/support/TestSupport.h"

namespace {

// The root's name after loading the text, or what went wrong.
std::wstring LoadedRootName(const std::wstring& text) {
    const DomDocument document = CreateDomDocument();
    if (!document) return L"<no document>";
    const Bstr markup(text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document->loadXML(markup.Get(), &loaded)) || loaded != VARIANT_TRUE) return L"<not loaded>";
    const DomNode root = DocumentRoot(document.Get());
    return root ? NodeName(root.Get()) : L"<no root>";
}

}  // namespace

// Threads in both kinds of apartment create documents while the kept class
// object is let go again and again; each document is its own.
TEST(DomDocument, CreatedOnManyThreadsWhileTheClassObjectIsLetGo) {
    std::atomic<int> wrong{0};
    std::atomic<bool> done{false};
    std::vector<std::thread> creators;
    for (int thread = 0; thread < 6; ++thread) {
        creators.emplace_back([thread, &wrong] {
            CoInitializeEx(nullptr, thread % 2 ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED);
            for (int i = 0; i < 50; ++i) {
                const std::wstring name = L"r" + std::to_wstring(thread) + L"_" + std::to_wstring(i);
                if (LoadedRootName(L"<" + name + L"/>") != name) ++wrong;
            }
            CoUninitialize();
        });
    }
    std::thread releaser([&done] {
        while (!done) {
            dom_class_object::Clear();
            std::this_thread::yield();
        }
    });
    for (std::thread& creator : creators) creator.join();
    done = true;
    releaser.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(LoadedRootName(L"<after/>"), L"after");
}

// The component's module may be unloaded between objects; a later object
// loads as the first did.
TEST(DomDocument, TheComponentLoadsAgainOnceItsModuleWasUnloaded) {
    ProjectDirectory directory;
    directory.WriteProject("<OPC_AE><DEVICES><D1/></DEVICES></OPC_AE>");
    for (int round = 0; round < 2; ++round) {
        {
            auto init = CreateComponent<IEventInfoInit>();
            ASSERT_TRUE(init);
            EXPECT_EQ(init->ParseXML(nullptr), S_OK) << round;
        }
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_EQ(GetModuleHandleW(L"IEventInfoServer.dll"), nullptr) << round;
    }
}

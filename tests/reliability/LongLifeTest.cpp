// Long life in one process: many cycles of create, load, every query,
// release of every output and of the object. Private bytes stay flat, the
// module can unload at the end, and every BSTR and SAFEARRAY the component
// hands out is seen allocated through the task allocator and freed by its
// owner, the caller.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "tests/reliability/HostileCorpus.h"
#include "tests/reliability/ReliabilitySupport.h"
#include "tests/support/TestSupport.h"

namespace {

// Watches the task allocator, through which the platform's BSTRs and
// SAFEARRAYs are allocated: every live block with its size and a serial
// number, so that a block freed and handed out again counts as new.
class AllocationSpy final : public IMallocSpy {
public:
    struct Block {
        const void* address = nullptr;
        uint64_t serial = 0;
    };

    AllocationSpy() { InitializeCriticalSection(&m_lock); }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IMallocSpy) {
            *object = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the process: the allocator may keep it after it is
    // revoked while blocks it saw are still live.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override {
        t_pendingSize = size;
        return size;
    }
    STDMETHODIMP_(void*) PostAlloc(void* actual) override {
        Add(actual, t_pendingSize);
        return actual;
    }
    STDMETHODIMP_(void*) PreFree(void* request, BOOL) override {
        Remove(request);
        return request;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override {
        Remove(request);
        *newRequest = request;
        t_pendingSize = size;
        return size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override {
        Add(actual, t_pendingSize);
        return actual;
    }
    STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override { return request; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}

    // The live block holding the address, or none.
    bool Find(const void* address, Block& block) {
        Locked lock(m_lock);
        auto next = m_live.upper_bound(address);
        if (next == m_live.begin()) return false;
        --next;
        const auto* start = static_cast<const char*>(next->first);
        if (static_cast<const char*>(address) >= start + next->second.size) return false;
        block = {next->first, next->second.serial};
        return true;
    }
    bool IsLive(const Block& block) {
        Locked lock(m_lock);
        const auto found = m_live.find(block.address);
        return found != m_live.end() && found->second.serial == block.serial;
    }
    size_t LiveCount() {
        Locked lock(m_lock);
        return m_live.size();
    }
    uint64_t Allocations() {
        Locked lock(m_lock);
        return m_serial;
    }

private:
    struct Entry {
        SIZE_T size;
        uint64_t serial;
    };
    struct Locked {
        explicit Locked(CRITICAL_SECTION& lock) : m_lock(lock) { EnterCriticalSection(&m_lock); }
        ~Locked() { LeaveCriticalSection(&m_lock); }
        CRITICAL_SECTION& m_lock;
    };

    void Add(void* address, SIZE_T size) {
        if (!address) return;
        Locked lock(m_lock);
        m_live[address] = {std::max<SIZE_T>(size, 1), ++m_serial};
    }
    void Remove(void* address) {
        Locked lock(m_lock);
        m_live.erase(address);
    }

    static thread_local SIZE_T t_pendingSize;
    CRITICAL_SECTION m_lock;
    std::map<const void*, Entry> m_live;
    uint64_t m_serial = 0;
};
thread_local SIZE_T AllocationSpy::t_pendingSize = 0;

// The blocks of one cycle's outputs, to be found freed after it.
class SpyLedger final : public OutputLedger {
public:
    explicit SpyLedger(AllocationSpy& spy) : m_spy(spy) {}
    void HandedOut(const void* allocation, bool isArray) override {
        AllocationSpy::Block block;
        if (!m_spy.Find(allocation, block)) {
            ++unseen;
            return;
        }
        ++(isArray ? arrays : strings);
        blocks.push_back(block);
    }
    size_t StillLive() {
        return static_cast<size_t>(std::count_if(blocks.begin(), blocks.end(),
                                                 [&](const AllocationSpy::Block& b) { return m_spy.IsLive(b); }));
    }

    std::vector<AllocationSpy::Block> blocks;
    size_t strings = 0, arrays = 0, unseen = 0;

private:
    AllocationSpy& m_spy;
};

// One cycle: a new object of the registered component, its load, every
// query with every output released, and the object's release.
uint64_t RunCycle(OutputLedger* ledger, std::vector<std::string>& violations) {
    ComPtr<IUnknown> object = CreateComponent<IUnknown>();
    if (!object) {
        violations.push_back("no object");
        return 0;
    }
    DriverOptions options;
    options.ledger = ledger;
    Transcript transcript;
    DriverResult result = RunEveryQuery(object.Get(), options, transcript);
    if (result.loadResult != S_OK) violations.push_back("load failed");
    violations.insert(violations.end(), result.violations.begin(), result.violations.end());
    return transcript.Hash();
}

HRESULT CanUnloadNow() {
    const HMODULE module = GetModuleHandleW(L"IEventInfoServer.dll");
    if (!module) return S_OK;  // unloaded already
    auto entry =
        reinterpret_cast<HRESULT(__stdcall*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return entry ? entry() : E_NOTIMPL;
}

// Turns the BSTR cache off, so that every string goes through the
// allocator and a freed one is freed at once.
void DisableStringCache() {
    const HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
    auto disable =
        reinterpret_cast<void(__stdcall*)()>(reinterpret_cast<void*>(GetProcAddress(oleaut, "SetOaNoCache")));
    if (disable) disable();
}

AllocationSpy g_spy;

TEST(LongLife, CyclesKeepMemoryFlatFreeEveryOutputAndLetTheModuleUnload) {
    const size_t cycles = Scaled(300, 10000);
    constexpr size_t kSettled = 100;  // cycles after which memory must stay flat
    ProjectDirectory directory;
    ProjectShape shape;
    shape.devices = 6;
    directory.WriteProject(ReferenceProject(shape));

    std::vector<std::string> violations;
    const uint64_t answers = RunCycle(nullptr, violations);  // type libraries and class lookups once
    ASSERT_EQ(violations, std::vector<std::string>{});
    DisableStringCache();
    ASSERT_EQ(CoRegisterMallocSpy(&g_spy), S_OK);

    PrivateBytes settled, last;
    const PrivateBytes first = MeasurePrivateBytes();
    size_t liveAfterFirst = 0, liveMin = SIZE_MAX, liveMax = 0;
    size_t strings = 0, arrays = 0, unseen = 0, leaked = 0, differing = 0;
    const uint64_t allocationsBefore = g_spy.Allocations();
    const double start = Now();
    for (size_t cycle = 1; cycle <= cycles; ++cycle) {
        SpyLedger ledger(g_spy);
        if (RunCycle(&ledger, violations) != answers) ++differing;
        strings += ledger.strings;
        arrays += ledger.arrays;
        unseen += ledger.unseen;
        leaked += ledger.StillLive();
        const size_t live = g_spy.LiveCount();
        if (cycle == 1) liveAfterFirst = live;
        if (cycle >= kSettled) {
            liveMin = std::min(liveMin, live);
            liveMax = std::max(liveMax, live);
        }
        if (cycle == kSettled) settled = MeasurePrivateBytes();
        if (violations.size() > 20) break;
    }
    const double seconds = Now() - start;
    last = MeasurePrivateBytes();
    // The spy sees a string the test allocates, and its release.
    BSTR probe = SysAllocString(L"probe");
    AllocationSpy::Block probeBlock;
    EXPECT_TRUE(g_spy.Find(probe, probeBlock) && g_spy.IsLive(probeBlock));
    SysFreeString(probe);
    EXPECT_FALSE(g_spy.IsLive(probeBlock));
    const HRESULT revoked = CoRevokeMallocSpy();
    const HRESULT unload = CanUnloadNow();

    EXPECT_EQ(violations, std::vector<std::string>{});
    EXPECT_EQ(differing, 0u) << "cycles whose answers differ from the first";
    EXPECT_EQ(unseen, 0u) << "outputs not allocated through the task allocator";
    EXPECT_GT(strings, 0u);
    EXPECT_GT(arrays, 0u);
    EXPECT_EQ(leaked, 0u) << "outputs still allocated after the caller released them";
    EXPECT_EQ(liveMin, liveMax) << "blocks left allocated grow from cycle to cycle";
    EXPECT_EQ(unload, S_OK) << "DllCanUnloadNow";
    ASSERT_GT(settled.bytes, 0u);
    const double growth = (static_cast<double>(last.bytes) - static_cast<double>(settled.bytes)) / settled.bytes;
    EXPECT_LE(growth, 0.05) << "private bytes after cycle " << kSettled << " and at the end";

    Figure("longlife.cycles", std::to_string(cycles));
    Figure("longlife.seconds", FormatNumber(seconds, 1));
    Figure("longlife.memory_counter", last.source);
    Figure("longlife.private_bytes_start", std::to_string(first.bytes));
    Figure("longlife.private_bytes_after_100", std::to_string(settled.bytes));
    Figure("longlife.private_bytes_end", std::to_string(last.bytes));
    Figure("longlife.private_bytes_growth_percent", FormatNumber(growth * 100, 2));
    Figure("longlife.bstrs_handed_out", std::to_string(strings));
    Figure("longlife.safearrays_handed_out", std::to_string(arrays));
    Figure("longlife.outputs_not_freed", std::to_string(leaked));
    Figure("longlife.outputs_not_through_allocator", std::to_string(unseen));
    Figure("longlife.allocations_seen", std::to_string(g_spy.Allocations() - allocationsBefore));
    Figure("longlife.live_blocks_after_cycle_1", std::to_string(liveAfterFirst));
    Figure("longlife.live_blocks_range_after_100", std::to_string(liveMin) + ".." + std::to_string(liveMax));
    Figure("longlife.revoke_spy", revoked == S_OK ? "S_OK" : "E_ACCESSDENIED (blocks of the platform still live)");
    Figure("longlife.dll_can_unload_now", unload == S_OK ? "S_OK" : "S_FALSE");
}

}  // namespace

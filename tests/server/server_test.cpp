// The COM entry points: class factory, object creation, reference counts and the lock count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "inputmethod/inputmethod.h"
#include "model/panelstate.h"
#include "server/server.h"
#include "server/variants.h"

// The program's allocations, all through malloc so that new and delete always pair up; the nothrow
// ones give nothing while failingAllocations is above 0, as on a device out of memory.
static int failingAllocations = 0;

static void *allocate(std::size_t size)
{
    return std::malloc(size ? size : 1);
}

void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    if (failingAllocations > 0) {
        --failingAllocations;
        return nullptr;
    }
    return allocate(size);
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept
{
    return operator new(size, tag);
}
void *operator new(std::size_t size)
{
    void *p = allocate(size);
    if (!p)
        throw std::bad_alloc();
    return p;
}
void *operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete[](void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void *p, const std::nothrow_t &) noexcept
{
    std::free(p);
}
void operator delete[](void *p, const std::nothrow_t &) noexcept
{
    std::free(p);
}

namespace {

const CLSID dayClsid = {0x91C40DFC, 0x6B41, 0x456F, {0xA2, 0xE4, 0x4A, 0xA7, 0x36, 0x31, 0x98, 0xB7}};
const CLSID nightClsid = {0x5956CDC6, 0x4A6D, 0x4D26, {0xBC, 0x6E, 0x6C, 0xBF, 0x5C, 0x80, 0x43, 0xF0}};
const IID iidSomethingElse = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
void *const prefilled = reinterpret_cast<void *>(0xdeadbeef);

class Server : public ::testing::Test {
  protected:
    void SetUp() override { panel.lockCount = 0; }
    void TearDown() override { EXPECT_EQ(0, panel.lockCount) << "an object or lock outlived the test"; }

    IClassFactory *factory(const CLSID &clsid)
    {
        void *out = prefilled;
        EXPECT_EQ(S_OK, DllGetClassObject(clsid, iidIClassFactory, &out));
        return static_cast<IClassFactory *>(out);
    }
};

TEST_F(Server, AFactoryIsHandedOutForAnyClassButOnlyThisOneIsCreated)
{
    IClassFactory *other = factory(nightClsid);
    ASSERT_NE(nullptr, other);
    EXPECT_EQ(1, panel.lockCount);
    void *out = prefilled;
    EXPECT_EQ(E_FAIL, other->CreateInstance(nullptr, iidIInputMethod, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1, panel.lockCount);
    EXPECT_EQ(0u, other->Release());
}

TEST_F(Server, AskingForAnotherInterfaceLeavesNothingBehind)
{
    void *out = prefilled;
    EXPECT_EQ(E_NOINTERFACE, DllGetClassObject(dayClsid, iidSomethingElse, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, panel.lockCount);
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST_F(Server, TheFactoryAnswersForIUnknownAndIClassFactory)
{
    void *out = prefilled;
    ASSERT_EQ(S_OK, DllGetClassObject(dayClsid, iidIUnknown, &out));
    IClassFactory *f = static_cast<IClassFactory *>(out);
    void *again = prefilled;
    EXPECT_EQ(S_OK, f->QueryInterface(iidIClassFactory, &again));
    EXPECT_EQ(f, again);
    EXPECT_EQ(E_NOINTERFACE, f->QueryInterface(iidIInputMethod, &again));
    EXPECT_EQ(nullptr, again);
    EXPECT_EQ(1u, f->Release());
    EXPECT_EQ(0u, f->Release());
}

TEST_F(Server, CreateInstanceRefusesAggregationAndUnknownInterfaces)
{
    IClassFactory *f = factory(dayClsid);
    void *out = prefilled;
    IUnknown *outer = reinterpret_cast<IUnknown *>(0x1234);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, f->CreateInstance(outer, iidIInputMethod, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1, panel.lockCount);
    out = prefilled;
    EXPECT_EQ(E_NOINTERFACE, f->CreateInstance(nullptr, iidIClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1, panel.lockCount) << "the object that could not be handed out is gone";
    EXPECT_EQ(CLASS_E_NOAGGREGATION, f->CreateInstance(outer, iidIInputMethod, nullptr));
    EXPECT_EQ(E_POINTER, f->CreateInstance(nullptr, iidIInputMethod, nullptr)) << "no out pointer, no object";
    EXPECT_EQ(1, panel.lockCount);
    f->Release();
}

TEST_F(Server, ObjectsFactoriesAndLocksAllHoldTheModule)
{
    IClassFactory *f = factory(dayClsid);
    void *out = prefilled;
    ASSERT_EQ(S_OK, f->CreateInstance(nullptr, iidIInputMethod, &out));
    IInputMethod *im = static_cast<IInputMethod *>(out);
    EXPECT_EQ(S_OK, f->LockServer(TRUE));
    EXPECT_EQ(3, panel.lockCount);
    EXPECT_EQ(S_FALSE, DllCanUnloadNow());

    EXPECT_EQ(2u, im->AddRef()) << "CreateInstance gave the object its first reference";
    EXPECT_EQ(1u, im->Release());
    void *unknown = prefilled;
    EXPECT_EQ(S_OK, im->QueryInterface(iidIUnknown, &unknown));
    EXPECT_EQ(static_cast<void *>(im), unknown);
    EXPECT_EQ(1u, im->Release());
    void *none = prefilled;
    EXPECT_EQ(E_NOINTERFACE, im->QueryInterface(iidIClassFactory, &none));
    EXPECT_EQ(nullptr, none);

    EXPECT_EQ(0u, im->Release());
    EXPECT_EQ(0u, f->Release());
    EXPECT_EQ(S_FALSE, DllCanUnloadNow()) << "the server lock still holds it";
    IClassFactory *g = factory(dayClsid);
    EXPECT_EQ(S_OK, g->LockServer(FALSE));
    EXPECT_EQ(1, panel.lockCount);
    g->Release();
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST_F(Server, AllocationFailuresGiveOutOfMemoryAndLeaveTheCountAlone)
{
    void *out = prefilled;
    failingAllocations = 1;
    EXPECT_EQ(E_OUTOFMEMORY, DllGetClassObject(dayClsid, iidIClassFactory, &out)) << "no factory";
    EXPECT_EQ(0, panel.lockCount);

    IClassFactory *f = factory(dayClsid);
    out = prefilled;
    failingAllocations = 1;
    EXPECT_EQ(E_OUTOFMEMORY, f->CreateInstance(nullptr, iidIInputMethod, &out)) << "no object";
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1, panel.lockCount) << "only the factory holds the module";
    EXPECT_EQ(0u, f->Release());
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST_F(Server, UnlockingMoreThanLockingKeepsTheModuleUntilTheCountIsBack)
{
    IClassFactory *f = factory(dayClsid);
    f->LockServer(FALSE);
    f->LockServer(FALSE);
    f->Release();
    EXPECT_EQ(-2, panel.lockCount);
    EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    f = factory(dayClsid);
    f->LockServer(TRUE);
    f->LockServer(TRUE);
    f->Release();
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST_F(Server, TheEntryRoutineKeepsTheModuleHandleAndAlwaysSucceeds)
{
    HINSTANCE before = panel.moduleInstance;
    HINSTANCE handle = reinterpret_cast<HINSTANCE>(0x4000);
    EXPECT_TRUE(DllMain(handle, DLL_PROCESS_ATTACH, nullptr));
    EXPECT_EQ(handle, panel.moduleInstance);
    EXPECT_TRUE(DllMain(nullptr, DLL_THREAD_ATTACH, nullptr));
    EXPECT_TRUE(DllMain(nullptr, DLL_PROCESS_DETACH, nullptr));
    EXPECT_EQ(handle, panel.moduleInstance) << "detach releases nothing";
    panel.moduleInstance = before;
}

} // namespace

// The variant table is where every tool and test takes the identifiers from; here alone they are
// held against the published ones, as bytes and as the text the registry and "DefaultIm" carry.
TEST(VariantTable, HoldsThePublishedClassIdentifiers)
{
    const struct {
        const CLSID &published;
        const char *text;
    } published[VARIANT_COUNT] = {{dayClsid, "{91C40DFC-6B41-456F-A2E4-4AA7363198B7}"},
                                  {nightClsid, "{5956CDC6-4A6D-4D26-BC6E-6CBF5C8043F0}"}};
    for (int v = 0; v < VARIANT_COUNT; ++v) {
        EXPECT_TRUE(sameGuid(published[v].published, VARIANTS[v].classId)) << VARIANTS[v].name;
        std::string text;
        for (const WCHAR *c = VARIANTS[v].classIdText; *c; ++c)
            text += (char)toupper((int)*c);
        EXPECT_EQ(published[v].text, text) << VARIANTS[v].name;
    }
}

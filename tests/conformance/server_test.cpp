// Conformance: the in-process server's exports on every deliverable, as a caller sees them: what
// DllGetClassObject hands out, the class factory and the object's interfaces, and the lock count
// that DllCanUnloadNow reports as objects and locks come and go.
#include <gtest/gtest.h>

#include <cctype>
#include <new>

#include "deliverables.h"

// {00000002-0000-0000-C000-000000000046}: an interface neither object implements.
static const IID iidOther = {0x00000002, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static void *const prefilled = reinterpret_cast<void *>(0xdeadbeef);

// Allocations the test makes fail. The device's DLLs allocate through the platform's malloc, which
// the emulation fails when told; an ELF build of the panel through the C++ run time's nothrow new,
// which this program replaces.
static int failingAllocations = 0;

void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    if (failingAllocations > 0) {
        --failingAllocations;
        return nullptr;
    }
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

class Server : public DeliverableTest {
  protected:
    void SetUp() override
    {
        DeliverableTest::SetUp();
        ASSERT_TRUE(module.load(GetParam().path)) << module.error();
    }
    void TearDown() override
    {
        EXPECT_EQ(S_OK, module.unload()) << "every object and lock given back";
        DeliverableTest::TearDown();
    }

    IClassFactory *factoryFor(const CLSID &clsid)
    {
        void *out = prefilled;
        EXPECT_EQ(S_OK, module.getClassObject(clsid, iidIClassFactory, &out));
        return static_cast<IClassFactory *>(out);
    }

    // The panel's next allocation fails, whichever way it allocates; or none does.
    static void failNextAllocation(bool fail)
    {
        failingAllocations = fail;
        fail ? emuFailCall("malloc", 1) : emuClearFailures();
    }

    PanelModule module;
};

// A factory comes for any class, but objects only of the class the deliverable is published under:
// the one place the tests hold the variant table against the published identifiers, as bytes and
// as the registry's text.
TEST_P(Server, AFactoryComesForAnyClassButMakesObjectsOnlyOfItsPublishedOne)
{
    static const struct {
        CLSID clsid;
        const char *text;
    } published[VARIANT_COUNT] = {
        {{0x91C40DFC, 0x6B41, 0x456F, {0xA2, 0xE4, 0x4A, 0xA7, 0x36, 0x31, 0x98, 0xB7}},
         "{91C40DFC-6B41-456F-A2E4-4AA7363198B7}"},
        {{0x5956CDC6, 0x4A6D, 0x4D26, {0xBC, 0x6E, 0x6C, 0xBF, 0x5C, 0x80, 0x43, 0xF0}},
         "{5956CDC6-4A6D-4D26-BC6E-6CBF5C8043F0}"},
    };
    const int mine = (int)(GetParam().variant - VARIANTS);
    IClassFactory *factory = factoryFor(published[mine].clsid);
    ASSERT_NE(nullptr, factory);
    void *object = prefilled;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, iidIUnknown, &object));
    EXPECT_EQ(0u, static_cast<IUnknown *>(object)->Release());
    EXPECT_EQ(0u, factory->Release());
    std::string text = GetParam().clsidText();
    for (char &c : text)
        c = (char)toupper((unsigned char)c);
    EXPECT_EQ(published[mine].text, text) << "the text the registry and \"DefaultIm\" carry";

    factory = factoryFor(published[VARIANT_COUNT - 1 - mine].clsid); // the other deliverable's
    ASSERT_NE(nullptr, factory);
    object = prefilled;
    EXPECT_EQ(E_FAIL, factory->CreateInstance(nullptr, iidIInputMethod, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0u, factory->Release());
}

TEST_P(Server, TheFactoryAnswersForIUnknownAndIClassFactoryOnly)
{
    void *out = prefilled;
    ASSERT_EQ(S_OK, module.getClassObject(GetParam().clsid(), iidIUnknown, &out));
    IClassFactory *factory = static_cast<IClassFactory *>(out);
    void *again = prefilled;
    EXPECT_EQ(S_OK, factory->QueryInterface(iidIClassFactory, &again));
    EXPECT_EQ(out, again);
    again = prefilled;
    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(iidIInputMethod, &again));
    EXPECT_EQ(nullptr, again);
    EXPECT_EQ(1u, factory->Release()) << "the reference QueryInterface added";
    EXPECT_EQ(0u, factory->Release());
}

TEST_P(Server, FailedRequestsLeaveNothingBehind)
{
    void *out = prefilled;
    EXPECT_EQ(E_NOINTERFACE, module.getClassObject(GetParam().clsid(), iidOther, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, module.canUnloadNow()) << "the refused factory is gone";

    IClassFactory *factory = factoryFor(GetParam().clsid());
    ASSERT_NE(nullptr, factory);
    for (const IID *iid : {&iidOther, &iidIClassFactory}) {
        out = prefilled;
        EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, *iid, &out));
        EXPECT_EQ(nullptr, out);
    }
    IUnknown *outer = factory; // any object will do: the panel cannot be aggregated
    out = prefilled;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, iidIUnknown, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, iidIUnknown, nullptr));
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, iidIInputMethod, nullptr)) << "no out pointer, no object";
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, module.canUnloadNow()) << "no object was left alive";
}

TEST_P(Server, AllocationFailuresGiveOutOfMemoryAndLeaveNothingBehind)
{
    void *out = prefilled;
    failNextAllocation(true);
    EXPECT_EQ(E_OUTOFMEMORY, module.getClassObject(GetParam().clsid(), iidIClassFactory, &out)) << "no factory";
    failNextAllocation(false);
    EXPECT_EQ(S_OK, module.canUnloadNow());

    IClassFactory *factory = factoryFor(GetParam().clsid());
    ASSERT_NE(nullptr, factory);
    out = prefilled;
    failNextAllocation(true);
    EXPECT_EQ(E_OUTOFMEMORY, factory->CreateInstance(nullptr, iidIInputMethod, &out)) << "no object";
    failNextAllocation(false);
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_FALSE, module.canUnloadNow()) << "the factory holds the module";
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, module.canUnloadNow()) << "nothing else does";
}

TEST_P(Server, TheLockCountHoldsFactoriesObjectsAndServerLocks)
{
    IClassFactory *factory = factoryFor(GetParam().clsid());
    ASSERT_NE(nullptr, factory);
    IInputMethod *object = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, iidIInputMethod, reinterpret_cast<void **>(&object)));
    EXPECT_EQ(2u, object->AddRef()) << "the new object has one reference";
    EXPECT_EQ(1u, object->Release());
    void *unknown = prefilled;
    EXPECT_EQ(S_OK, object->QueryInterface(iidIUnknown, &unknown));
    EXPECT_EQ(static_cast<void *>(object), unknown);
    EXPECT_EQ(1u, object->Release());
    void *none = prefilled;
    EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(iidIClassFactory, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));

    EXPECT_EQ(S_FALSE, module.canUnloadNow());
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(S_FALSE, module.canUnloadNow()) << "the factory and the lock remain";
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_FALSE, module.canUnloadNow()) << "the lock remains";
    factory = factoryFor(GetParam().clsid());
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, module.canUnloadNow()) << "the factory remains";
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_P(Server, UnbalancedServerUnlocksKeepTheModuleUntilTheCountIsBackAtZero)
{
    IClassFactory *factory = factoryFor(GetParam().clsid());
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_FALSE, module.canUnloadNow()) << "a count below zero is not zero";

    factory = factoryFor(GetParam().clsid());
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_P(Server, TwoObjectsDriveOneAndTheSamePanel)
{
    IClassFactory *factory = factoryFor(GetParam().clsid());
    ASSERT_NE(nullptr, factory);
    IInputMethod *first = nullptr;
    IInputMethod *second = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, iidIInputMethod, reinterpret_cast<void **>(&first)));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, iidIUnknown, reinterpret_cast<void **>(&second)));
    EXPECT_EQ(0u, factory->Release());

    InputPanelHost host; // only for its window
    EXPECT_EQ(S_OK, first->Select(host.window()));
    EXPECT_EQ(E_FAIL, second->Select(host.window())) << "the panel is already selected";
    EXPECT_EQ(S_OK, second->Deselect());
    EXPECT_EQ(S_OK, first->Select(host.window())) << "deselected through the other object";
    EXPECT_EQ(S_OK, first->Deselect());
    EXPECT_EQ(0u, first->Release());
    EXPECT_EQ(S_FALSE, module.canUnloadNow());
    EXPECT_EQ(0u, second->Release());
    EXPECT_EQ(S_OK, module.canUnloadNow());
}

INSTANTIATE_TEST_SUITE_P(Deliverables, Server, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });

// Conformance: the in-process server's exports on both deliverables: the class factory, object
// creation, and the lock count that DllCanUnloadNow reports.
#include <gtest/gtest.h>

#include "deliverables.h"

// {00000002-0000-0000-C000-000000000046}: an interface neither object implements.
static const IID iidOther = {0x00000002, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

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
        void *out = reinterpret_cast<void *>(0xdeadbeef);
        EXPECT_EQ(S_OK, module.getClassObject(clsid, iidIClassFactory, &out));
        return static_cast<IClassFactory *>(out);
    }

    PanelModule module;
};

TEST_P(Server, AFactoryComesForAnyClassButMakesObjectsOnlyOfItsOwn)
{
    CLSID other = GetParam().clsid();
    other.Data4[7] ^= 1;
    IClassFactory *factory = factoryFor(other);
    ASSERT_NE(nullptr, factory);
    void *out = reinterpret_cast<void *>(0xdeadbeef);
    EXPECT_EQ(E_FAIL, factory->CreateInstance(nullptr, iidIInputMethod, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0u, factory->Release());
}

TEST_P(Server, FailedRequestsLeaveNothingBehind)
{
    void *out = reinterpret_cast<void *>(0xdeadbeef);
    EXPECT_EQ(E_NOINTERFACE, module.getClassObject(GetParam().clsid(), iidOther, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, module.canUnloadNow()) << "the refused factory is gone";

    IClassFactory *factory = factoryFor(GetParam().clsid());
    ASSERT_NE(nullptr, factory);
    out = reinterpret_cast<void *>(0xdeadbeef);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, iidOther, &out));
    EXPECT_EQ(nullptr, out);
    IUnknown *outer = factory; // any object will do: the panel cannot be aggregated
    out = reinterpret_cast<void *>(0xdeadbeef);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, iidIUnknown, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, module.canUnloadNow()) << "no object was left alive";
}

TEST_P(Server, TheLockCountHoldsFactoriesObjectsAndServerLocks)
{
    IClassFactory *factory = factoryFor(GetParam().clsid());
    ASSERT_NE(nullptr, factory);
    IInputMethod *object = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, iidIInputMethod, reinterpret_cast<void **>(&object)));
    EXPECT_EQ(2u, object->AddRef()) << "the new object has one reference";
    EXPECT_EQ(1u, object->Release());
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));

    EXPECT_EQ(S_FALSE, module.canUnloadNow());
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(S_FALSE, module.canUnloadNow()) << "the factory and the lock remain";
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

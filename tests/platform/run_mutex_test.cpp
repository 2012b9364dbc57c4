#include <windows.h>

#include <gtest/gtest.h>

#include "platform/product_constants.h"
#include "platform/run_mutex_win.h"

// A second run finds the first run's mutex: in the private namespace where
// the system has them, else under the global name.
TEST(RunMutexTest, SecondRunFindsTheFirstRunsMutex) {
    RunMutex first = CreateRunMutex();
    ASSERT_TRUE(first.Mutex) << GetLastError();
    RunMutex second = CreateRunMutex();
    ASSERT_TRUE(second.Mutex) << GetLastError();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(first.Private, second.Private);
}

// Where private namespaces exist, the global name stays free: a mutex
// squatted there keeps no run out.
TEST(RunMutexTest, MutexIsNotTheGlobalNameWherePrivateNamespacesExist) {
    UniqueKernelHandle squatted(CreateMutexW(nullptr, TRUE, reinterpret_cast<const wchar_t*>(kRunMutexName)));
    ASSERT_TRUE(squatted);
    RunMutex run = CreateRunMutex();
    if (!run.Private)
        GTEST_SKIP() << "no private namespaces here (Wine 8: CreateBoundaryDescriptorW returns NULL and "
                        "CreatePrivateNamespaceW is not implemented); the run mutex falls back to its global name";
    ASSERT_TRUE(run.Mutex) << GetLastError();
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(run.Mutex.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
}

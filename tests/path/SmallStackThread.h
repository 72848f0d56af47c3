#ifndef KORIL_TESTS_PATH_SMALLSTACKTHREAD_H
#define KORIL_TESTS_PATH_SMALLSTACKTHREAD_H

#include <gtest/gtest.h>

#include <pthread.h>

#include <functional>

namespace koril::tests {

// Runs `work` on a thread with a 1 MiB stack, the default for threads on Windows, and waits
// for it. `work` must not throw.
inline void runOnSmallStack(std::function<void()> work) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 1 << 20), 0);
    pthread_t thread;
    auto const run = [](void* argument) -> void* {
        (*static_cast<std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &work), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attributes);
}

} // namespace koril::tests

#endif

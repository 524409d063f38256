#ifndef VN_TESTS_SUPPORT_SMALLSTACK_H
#define VN_TESTS_SUPPORT_SMALLSTACK_H

#include <pthread.h>

#include <functional>

// Runs fn on a thread with a 256 KiB stack, which a walk recursing once per element or per level
// of a large input overflows. Answers false when the thread could not be started.
inline bool runOnSmallStack(std::function<void()> fn) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 256 * 1024);
    pthread_t thread;
    auto run = [](void* f) -> void* {
        (*static_cast<std::function<void()>*>(f))();
        return nullptr;
    };
    const bool started = pthread_create(&thread, &attr, run, &fn) == 0;
    if (started) pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    return started;
}

#endif

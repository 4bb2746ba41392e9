// One Qt backend for a whole test program, made before its first test and
// set as the current backend; qtBackend() reaches it.
#pragma once

#include "QtBackend.h"

#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        backend = std::make_unique<ui::QtBackend>(argumentCount, arguments);
        ui::setCurrentBackend(backend.get());
    }
    void TearDown() override {
        ui::setCurrentBackend(nullptr);
        backend.reset();
    }

    static inline char programName[] = "kivora-qt-tests";
    static inline char* arguments[] = {programName, nullptr};
    static inline int argumentCount = 1;
    static inline std::unique_ptr<ui::QtBackend> backend;
};

inline const auto* const qtTestEnvironment = ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

inline ui::QtBackend& qtBackend() { return *QtTestEnvironment::backend; }

}  // namespace testsupport

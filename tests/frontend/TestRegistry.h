#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorlex::testing {

// The Qt Test classes of the front end's test program, each registered by name.
struct RegisteredTest {
  std::string name;
  std::function<std::unique_ptr<QObject>()> make;
};

inline std::vector<RegisteredTest>& RegisteredTests() {
  static std::vector<RegisteredTest> tests;
  return tests;
}

template <typename Test>
struct TestRegistration {
  explicit TestRegistration(const char* name) {
    RegisteredTests().push_back({name, [] { return std::make_unique<Test>(); }});
  }
};

}  // namespace quorlex::testing

// Registers a Qt Test class with the test program, by its name (in the namespace of the class,
// after it).
#define QUORLEX_REGISTER_TEST(Class) \
  static const quorlex::testing::TestRegistration<Class> kRegistered##Class(#Class)

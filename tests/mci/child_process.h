// A program the test starts and always stops again.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mci::testing {

// The full path of `name` on PATH, or empty.
std::string FindProgram(const std::string& name);

// Waits for `condition`, checking every few milliseconds; false at the timeout.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Sets an environment variable of the test process for a scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class ChildProcess {
 public:
  // Starts `argv` with the test's environment changed by `env`, its output to `output`.
  ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               const std::filesystem::path& output);
  ~ChildProcess();  // stops it
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  bool Running();
  // SIGTERM, then SIGKILL if it has not ended within a few seconds.
  void Stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace mci::testing

#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zt640 {

/// The thread on which one device object's exchanges run, one task after another,
/// so that a slow or silent device never holds up the thread that asks for them.
/// Results go back to the asker by whatever the task itself posts.
///
/// Stop drops the tasks still queued and waits for the running one; whoever stops
/// the worker first closes the device's interfaces, which cuts every waiting
/// transfer short, so the running task ends within milliseconds.
class DeviceWorker {
 public:
  using Task = std::function<void()>;

  explicit DeviceWorker(std::string name);
  ~DeviceWorker();
  DeviceWorker(const DeviceWorker&) = delete;
  DeviceWorker& operator=(const DeviceWorker&) = delete;

  /// Queues `task`; false (and the task dropped) once the worker is stopping.
  bool Post(Task task);
  /// Drops the queued tasks and ends the thread. Waits `patience` before it says
  /// that the running task is slow to end, then waits on: a task uses the device
  /// object, which must not go away under it.
  void Stop(std::chrono::milliseconds patience = std::chrono::milliseconds(1000));
  /// Tasks queued or running.
  [[nodiscard]] std::size_t Pending() const;
  /// Stop has begun: a task waiting for something should give up.
  [[nodiscard]] bool Stopping() const;

 private:
  void Run();

  std::string name_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Task> tasks_;  ///< guarded by mutex_
  bool running_task_ = false;  ///< guarded by mutex_
  bool stopping_ = false;      ///< guarded by mutex_
  std::thread thread_;
};

}  // namespace zt640

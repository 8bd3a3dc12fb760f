#pragma once
// A few worker threads that split a range of jobs among themselves.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace viv {

class TThreadPool {
 public:
  // threads: how many threads work, the caller's included; 0 means one per core.
  explicit TThreadPool(int threads = 0);
  ~TThreadPool();
  TThreadPool(const TThreadPool&) = delete;
  TThreadPool& operator=(const TThreadPool&) = delete;

  int Threads() const { return static_cast<int>(workers_.size()) + 1; }
  // Calls job(k) for every k in [0, count), spread over the threads; returns when all are done.
  // Callers on several threads (worlds stepped side by side) take turns; a job must not call
  // ParallelFor itself.
  void ParallelFor(int64_t count, const std::function<void(int64_t)>& job);

 private:
  void Work();
  void RunJobs();
  std::vector<std::thread> workers_;
  std::mutex turn_;  // held by the caller whose jobs run
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const std::function<void(int64_t)>* job_ = nullptr;
  int64_t count_ = 0;
  std::atomic<int64_t> next_{0};
  int busy_ = 0;
  std::atomic<uint64_t> generation_{0};
  std::atomic<bool> stop_{false};
};

// The pool the fast world steps of every world in the process use: shared by the worlds and
// owned by none, since threads are the machine's, not a world's. SetWorkerThreads replaces it
// (0: one per core); call it while no world steps.
TThreadPool& WorkerPool();
void SetWorkerThreads(int threads);
// The most threads a pool takes: four per core (a pool asked for more gets this many), since
// more only queue for the same cores and tens of thousands exhaust the process.
int MaxWorkerThreads();

}  // namespace viv

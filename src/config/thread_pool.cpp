#include "config/thread_pool.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace viv {

TThreadPool::TThreadPool(int threads) {
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int i = 1; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

TThreadPool::~TThreadPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  for (auto& t : workers_) t.join();
}

void TThreadPool::RunJobs() {
  // count_ and job_ were set under the mutex before the generation that brought this thread.
  for (int64_t k = next_.fetch_add(1); k < count_; k = next_.fetch_add(1)) (*job_)(k);
}

namespace {

// A worker that has finished watches for the next jobs this long before it sleeps: a world
// stepped without pause hands out jobs every few hundred microseconds, and waking a sleeping
// thread takes about as long as the jobs themselves.
constexpr auto WatchTime = std::chrono::microseconds(1000);

}  // namespace

void TThreadPool::Work() {
  uint64_t seen = 0;
  for (;;) {
    const auto until = std::chrono::steady_clock::now() + WatchTime;
    // Yielding, not spinning hard: where threads outnumber the cores (islands in processes side
    // by side), a waiting worker gives way to the threads that have work.
    while (generation_.load() == seen && !stop_.load() && std::chrono::steady_clock::now() < until)
      std::this_thread::yield();
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
      if (stop_) return;
      seen = generation_;
      ++busy_;
    }
    RunJobs();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --busy_;
    }
    done_.notify_all();
  }
}

void TThreadPool::ParallelFor(int64_t count, const std::function<void(int64_t)>& job) {
  if (count <= 0) return;
  if (workers_.empty() || count == 1) {
    for (int64_t k = 0; k < count; ++k) job(k);
    return;
  }
  std::lock_guard<std::mutex> turn(turn_);
  {
    std::unique_lock<std::mutex> lock(mutex_);
    // A worker that woke too late for the previous jobs may still be claiming from their
    // counter: the counter is reset only once it has gone back, or it could claim an index of
    // the old counter against the new count and run a job twice.
    done_.wait(lock, [&] { return busy_ == 0; });
    job_ = &job;
    count_ = count;
    next_ = 0;
    ++generation_;
  }
  wake_.notify_all();
  RunJobs();
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return busy_ == 0; });
  job_ = nullptr;
}

namespace {
// The process's one pool, made on first use.
std::mutex poolMutex;
std::unique_ptr<TThreadPool> pool;
}  // namespace

TThreadPool& WorkerPool() {
  std::lock_guard<std::mutex> lock(poolMutex);
  if (!pool) pool = std::make_unique<TThreadPool>(0);
  return *pool;
}

void SetWorkerThreads(int threads) {
  std::lock_guard<std::mutex> lock(poolMutex);
  pool = std::make_unique<TThreadPool>(std::min(threads, MaxWorkerThreads()));
}

int MaxWorkerThreads() { return 4 * static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

}  // namespace viv

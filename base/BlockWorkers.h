// Worker threads for the whole of a batch run: blocks of input go in
// through a queue, each worker handles them with a handler of its own, and
// the caller waits for a block to be done before it writes it, so answers
// leave in input order whatever core made them.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zel {

// Block needs a member "bool done".
template <class Block>
class TBlockWorkers {
 public:
  using THandler = std::function<void(Block&)>;
  TBlockWorkers(int count, const std::function<THandler()>& make) {
    for (int i = 0; i < count; ++i)
      fThreads.emplace_back([this, handle = make()] {
        for (Block* b; (b = Next()) != nullptr;) {
          handle(*b);
          {
            std::lock_guard lock(fMutex);
            b->done = true;
          }
          fDone.notify_all();
        }
      });
  }
  ~TBlockWorkers() {
    {
      std::lock_guard lock(fMutex);
      fStop = true;
    }
    fWork.notify_all();
    for (std::thread& t : fThreads) t.join();
  }
  TBlockWorkers(const TBlockWorkers&) = delete;
  TBlockWorkers& operator=(const TBlockWorkers&) = delete;

  void Add(Block& b) {
    {
      std::lock_guard lock(fMutex);
      b.done = false;
      fQueue.push_back(&b);
    }
    fWork.notify_one();
  }
  void Wait(Block& b) {
    std::unique_lock lock(fMutex);
    fDone.wait(lock, [&b] { return b.done; });
  }

 private:
  Block* Next() {
    std::unique_lock lock(fMutex);
    fWork.wait(lock, [this] { return fStop || !fQueue.empty(); });
    if (fQueue.empty()) return nullptr;
    Block* b = fQueue.front();
    fQueue.pop_front();
    return b;
  }

  std::mutex fMutex;
  std::condition_variable fWork, fDone;
  std::deque<Block*> fQueue;
  bool fStop = false;
  std::vector<std::thread> fThreads;
};

}  // namespace zel

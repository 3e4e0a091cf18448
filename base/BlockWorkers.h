// Worker threads for the whole of a batch run: blocks of input go in
// through a queue, each worker handles them with a handler of its own, and
// the caller waits for a block to be done before it writes it, so answers
// leave in input order whatever core made them.
#pragma once

#include <algorithm>
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

  // Runs a ring of blocks through the workers: the first `filled` blocks
  // of the ring are read already; read fills the next (false at the end),
  // write takes each one done, in input order.
  void RunInOrder(std::vector<Block>& ring, std::size_t filled,
                  const std::function<bool(Block&)>& read,
                  const std::function<void(Block&)>& write) {
    for (std::size_t i = 0; i < filled; ++i) Add(ring[i]);
    std::size_t next = filled % ring.size(), oldest = 0, underWay = filled;
    const auto writeOldest = [&] {
      Wait(ring[oldest]);
      write(ring[oldest]);
      oldest = (oldest + 1) % ring.size();
      --underWay;
    };
    for (;;) {
      if (underWay == ring.size()) writeOldest();
      if (!read(ring[next])) break;
      Add(ring[next]);
      next = (next + 1) % ring.size();
      ++underWay;
    }
    while (underWay > 0) writeOldest();
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

// A whole batch in blocks: the first `ahead` blocks are read before any
// core is asked, so an input that ends within them (or a run of one job)
// is handled in this thread; a larger one goes to `jobs` workers. Each
// handler comes from make; write takes the blocks in input order.
template <class Block>
void RunBlocks(int jobs, std::size_t ahead, const std::function<bool(Block&)>& read,
               const std::function<typename TBlockWorkers<Block>::THandler()>& make,
               const std::function<void(Block&)>& write) {
  std::vector<Block> ring(std::max(2 * static_cast<std::size_t>(jobs), ahead));
  std::size_t filled = 0;
  while (filled < ahead && read(ring[filled])) ++filled;
  if (jobs <= 1 || filled < ahead) {
    const auto handle = make();
    for (std::size_t i = 0; i < filled; ++i) {
      handle(ring[i]);
      write(ring[i]);
    }
    for (Block& b = ring[0]; filled == ahead && read(b);) {
      handle(b);
      write(b);
    }
    return;
  }
  TBlockWorkers<Block> workers(jobs, make);
  workers.RunInOrder(ring, filled, read, write);
}

}  // namespace zel

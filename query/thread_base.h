// TThread: the base of the query engine's self-running threads.
//
// A derived object is made on the heap and started with Start() as the last
// step of its creation; its Execute then runs on a new, detached thread.
// When Execute returns the object deletes itself on that thread, so the
// derived destructor runs there too. An exception that escapes Execute is
// caught and goes no further. Nobody holds a reference to a started object
// and nobody joins its thread.
#pragma once

namespace korvan {

class TThread {
 public:
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  virtual ~TThread() = default;

 protected:
  TThread() = default;
  // REQUIRES: the object was made with new and is fully constructed.
  void Start();
  virtual void Execute() = 0;

 private:
  void Run() noexcept;
};

}  // namespace korvan

#include "kx/hosts/LoopRelief.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>

namespace kx {

void RunReliefThread(boost::asio::io_context& ioc, std::chrono::milliseconds check,
                     const std::function<bool()>& mayLeave) {
  while (!mayLeave()) ioc.run_one_for(check);
  // What a handler queues as its continuation (the next step of a connection's read or write) Asio keeps for the
  // thread that ran it, and moves to the loop's queue after the handler without waking another thread. The loop's
  // own thread may be asleep by then until its next event (another connection's request, an idle timeout): an empty
  // handler wakes it, and it runs what this thread left.
  boost::asio::post(ioc, [] {});
}

}  // namespace kx

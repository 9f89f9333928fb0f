#include "kx/hosts/LoopRelief.h"

#include <gtest/gtest.h>

#include <boost/asio/defer.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <atomic>
#include <future>
#include <thread>

namespace kx {
namespace {

namespace net = boost::asio;
using namespace std::chrono_literals;

// The loop's own thread runs the io_context for good; a relief thread runs a handler while the own thread is busy,
// and leaves after it. What that handler queued as its continuation (the next step of a connection's read or write)
// must still run, though the own thread is asleep by then and nothing else happens on the loop.
TEST(RunReliefThreadTest, TheLastHandlersContinuationRunsAfterTheReliefLeft) {
  net::io_context ioc;
  auto work = net::make_work_guard(ioc);
  std::promise<void> ownBusy, ownFree, continued;
  std::atomic<bool> leave{false};
  std::thread own([&] { ioc.run(); });
  net::post(ioc, [&] {
    ownBusy.set_value();
    ownFree.get_future().wait();
  });
  ownBusy.get_future().wait();
  std::thread relief([&] { RunReliefThread(ioc, 20ms, [&] { return leave.load(); }); });
  net::post(ioc, [&] {  // the own thread is busy: the relief thread runs this
    ownFree.set_value();
    std::this_thread::sleep_for(100ms);  // the own thread goes back to waiting for work
    net::defer(ioc, [&] { continued.set_value(); });
    leave = true;
  });
  relief.join();
  EXPECT_EQ(continued.get_future().wait_for(10s), std::future_status::ready)
      << "the continuation waited for the loop's next event";
  ioc.stop();
  own.join();
}

}  // namespace
}  // namespace kx

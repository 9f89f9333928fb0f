// A relief thread's turn at an event loop of the stand-alone server (hosts/StandAloneServer.cpp): while every other
// thread of the loop is inside the framework, it runs the loop's handlers, and leaves once one of them is free again.
#pragma once

#include <chrono>
#include <functional>

namespace boost::asio {
class io_context;
}

namespace kx {

// Runs the handlers of ioc one at a time, asking mayLeave after each one and at least every check; returns once it
// says yes. What the last handler queued as its continuation is then left to the loop's other threads, awake.
void RunReliefThread(boost::asio::io_context& ioc, std::chrono::milliseconds check,
                     const std::function<bool()>& mayLeave);

}  // namespace kx

// Work shared out to worker threads by a thread whose host may only be called
// from that thread (the desktop's host runs the window's event loop).
#pragma once

#include "cards/host.h"

#include <cstddef>
#include <functional>

namespace nvx {

// A function that runs one job, made on the worker thread for that worker.
using WorkerJob = std::function<void(std::size_t job)>;

// Runs the jobs 0 .. count-1 on up to `threads` worker threads, which take
// them in order from a shared counter, and then, on this thread and in job
// order, passes what each job reported on to `host` and calls done(job).
//
// Only this thread calls `host`. Each worker has a host of its own, which it
// hands to makeWorker (called on the worker thread) to get its WorkerJob: that
// host keeps what is reported to it, and its stop request is a flag that this
// thread sets once host.StopRequested() says so; meanwhile this thread lets
// `host` handle its events every 10 ms or so.
//
// An exception in makeWorker or in a job stops the other workers (their stop
// request is set); once every worker has ended, what the jobs reported is
// passed on and the exception is rethrown here, without any done call (of
// several, the one of the lowest job). Returns the number of workers that
// ran: 0, having run nothing, when no thread could be started.
unsigned RunOnWorkers(Host& host, unsigned threads, std::size_t count,
                      const std::function<WorkerJob(Host& workerHost)>& makeWorker,
                      const std::function<void(std::size_t job)>& done);

} // namespace nvx

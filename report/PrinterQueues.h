#pragma once

#include <string>
#include <utility>
#include <vector>

// The facts about a print queue that Qt's printer information does not carry, asked of
// CUPS directly. Every call is a round trip to the scheduler, so callers keep the answers.
namespace PrinterQueues {

// The queue's device URI ("" when the scheduler does not say).
std::string DeviceUri(const std::string& queue);
// Upper bound of the queue's copies-supported range; 1 when the queue is unknown.
int CopyLimit(const std::string& queue);
// The queue's paper sources (media-source keywords), in the scheduler's order.
std::vector<std::string> MediaSources(const std::string& queue);

// Hands a finished PDF to the queue as one job with the given job options (name, value);
// returns the job number, 0 when the scheduler refused it (`error` then says why).
int Submit(const std::string& queue, const std::string& pdf, const std::string& title,
           const std::vector<std::pair<std::string, std::string>>& options, std::string& error);

}  // namespace PrinterQueues

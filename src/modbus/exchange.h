#pragma once
// The one request/reply rule every exchange follows: the wire drops what is
// left of earlier replies and sends the request, then the reply is awaited
// for up to 50 rounds of 10 ms; the first one that finds a reply ends the
// wait. Nothing is retried.

#include <cstdint>
#include <string>

#include "serial/link.h"

namespace veltrano {

constexpr int kReplyPolls = 50;
constexpr int kReplyPollMs = 10;

// Sends the `length` bytes at the start of link.txBuffer and returns the
// reply length (0: no reply); the reply is in link.rxBuffer.
// Pages with a block read of their own poll at another interval.
uint16_t Exchange(Link& link, uint16_t length, int pollMs = kReplyPollMs);

// Tells the link's observers what is tried next, and how a transaction ended.
void ReportActivity(Link& link, const std::string& what);
void ReportOutcome(Link& link, uint8_t function, uint16_t reg, const ReplyVerdict& verdict);

}  // namespace veltrano

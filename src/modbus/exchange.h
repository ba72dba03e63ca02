#pragma once
// The one request/reply rule every exchange follows: drain the frame queue
// (after any burst still arriving has ended), write the request, then up to 50 rounds of (sleep 10 ms, take the frame
// queue). The first non-empty take is the reply. Nothing is retried.

#include <cstdint>
#include <string>

#include "serial/link.h"

namespace veltrano {

constexpr int kReplyPolls = 50;
constexpr int kReplyPollMs = 10;
// How long a request waits for a late reply's burst to end before it is sent.
constexpr int kLateBurstWaitMs = 100;

// Sends the `length` bytes at the start of link.txBuffer and returns the
// reply length (0: no reply); the reply is in link.rxBuffer.
// Pages with a block read of their own poll at another interval.
uint16_t Exchange(Link& link, uint16_t length, int pollMs = kReplyPollMs);

// The drain and the write of an exchange, traced as what the port did: the
// request when it all left, else a "TX failed" note.
void SendRequest(Link& link, uint16_t length);

// Tells the link's observers what is tried next, and how a transaction ended.
void ReportActivity(Link& link, const std::string& what);
void ReportOutcome(Link& link, uint8_t function, uint16_t reg, const ReplyVerdict& verdict);

}  // namespace veltrano

#pragma once

#include <vector>

#include "UartReceiver.h"

// The controller's transmitter and the host's receiver on one wire, each at its own rate:
// what a host reads from a controller clocked differently from the port's setting (a wrong
// baud rate in the device settings, a program trying rates to find the controller's).
//
// The controller hands bytes to its transmitter, which sends them back to back, 8N1, at the
// controller's rate; bytes handed over while it is still sending queue behind. Between
// bursts the line idles high. The receiver samples that line at the host's rate (see
// CUartReceiver); DeliverAsLinux turns its characters into what the program reads.
//
//   host's rate vs the controller's   what the host reads
//   the same                          every byte, unchanged and at once
//   lower                             fewer bytes: several of the controller's bytes fall
//                                     into one character; framing errors where a stop bit
//                                     lands on a low bit, nothing where a start is a glitch
//   higher                            more bytes: each controller byte split into several
//                                     characters, most of them framing errors or breaks
//
// The receiver's last character of a burst may still be under way when the burst ends: it
// is decided when the line has stayed idle until its stop bit, which Idle (or the next
// burst) tells. PendingUntilNs says when that is, so a caller can wait that long.
class CBaudMismatch {
public:
    explicit CBaudMismatch(int nControllerBaud);

    // Bytes the controller sends from nNowNs, read by a host at nReceiverBaud; returns the
    // characters the host's receiver has decided.
    std::vector<UartChar> Send(long long nNowNs, const std::vector<unsigned char>& vecBytes,
                               int nReceiverBaud);
    // Nothing sent until nNowNs: returns what the idle line decided.
    std::vector<UartChar> Idle(long long nNowNs);
    // When the character under way is decided if the line stays idle; -1 when none is.
    long long PendingUntilNs() const;
    int ControllerBaud() const { return m_nControllerBaud; }

private:
    long long BitEdgeNs(long long nStartNs, long long nBit) const;

    int m_nControllerBaud;
    CUartReceiver m_receiver;
    long long m_nBusyUntilNs = 0;
    bool m_bStarted = false;
};

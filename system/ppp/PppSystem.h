// The parts of the ppp service that look at the machine rather than at
// pppd's files: the serial ports where a modem answers, the pppd processes
// that run, dialling and hanging up, and the default connection.
#pragma once

#include "Connections.h"
#include "Devices.h"
#include "PppFiles.h"

#include <string>
#include <vector>

namespace ppp {

// The ports the probe tries: $KIVORA_MODEM_PORTS (PATH[:PATH...]; empty:
// none), else /dev/modem, /dev/ttyS*, /dev/ttyUSB* and /dev/ttyACM*.
std::vector<std::string> modemPorts();

// Every port at once: AT, then ATI for the modem's name, each answer
// awaited a short while, so that silent ports cost a fraction of a second
// together. A port that does not answer, or that a live lock file says is
// in use, is not listed. A modem's name is its ATI answer and its port:
// "U.S. Robotics 56K (/dev/ttyS0)". The last answer is kept for a while, as
// the program asks twice in a row (size, then records).
std::vector<standin::ras::Device> probeModems();

// The pppd processes that run a peer: /run/ppp-NAME.pid naming a live pppd
// (Kivora's peers carry linkname NAME), or, on the machine's own files, a
// pppd whose command line is "pppd call NAME". The handle is pppd's process
// id; the entry name is the peer's (the one the default peer calls, for it).
std::vector<standin::ras::Connection> runningConnections();

// Dials a peer as pon does (pppd call NAME) and waits until the link is up
// or pppd gives up: the connection, or the error code that says why.
Status dialPeer(const std::string& peer, standin::ras::Connection& connection);
// Ends a running pppd of the connections listed (SIGTERM, as poff does).
Status hangUpConnection(unsigned long handle);

// The default connection: the registry value that names it on Windows XP
// (HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\RAS AutoDial\Default,
// DefaultInternet, in /var/lib/kivora) is what "pon" with no name dials.
// When the value names a peer other than the one last made the default, the
// default peer "provider" becomes one that calls it; a provider of another
// hand is kept first as "provider.kivora-former", from where it can be put
// back. Nothing is changed when the value has not changed, so a provider
// set by hand afterwards stays.
Status applyDefaultConnection();

// The machine's platform state for the program (registry, version answers,
// journal, named mutex) is kept in /var/lib/kivora: points the stand-in
// services there. Without the right to write it, a private folder that
// goes with the process is used, so that the program runs and is refused
// its changes with the reason.
void placePlatformState();
void removePrivatePlatformState();

}  // namespace ppp

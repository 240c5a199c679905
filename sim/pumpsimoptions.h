#pragma once

#include "sim/faultshaper.h"

#include <QString>
#include <QStringList>

namespace pumpsim {

// Everything pump-sim can be told on its command line.
struct PumpSimOptions {
    FaultOptions faults;
    qint64 exitAfterAnswers = -1;  // close the line and exit after this many answers; -1: never
    double durationS = -1.0;       // close the line and exit this long after the first command; <0: never
    double floodRate = 0.0;        // unasked status answers per second from the first command on; 0: off
    QString link;                  // also make this path a symbolic link to the terminal
    bool verbose = false;          // log commands and answers on stderr
};

struct ParsedPumpSimOptions {
    PumpSimOptions options;
    bool help = false;  // --help was given: print pumpSimHelp() and exit
    QString error;      // not empty: the command line was refused, for this reason
};

// Reads pump-sim's arguments (without the program name). Options are
// "--name" or "--name=value"; the fault shares may be given bare (meaning
// every answer) or with a share from 0 to 1.
ParsedPumpSimOptions parsePumpSimOptions(const QStringList& arguments);

// The --help text.
QString pumpSimHelp();

}  // namespace pumpsim

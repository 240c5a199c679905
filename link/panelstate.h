#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// The main window's own variables: the value boxes, the keypad's entry state,
// the set points last typed into the dialogs, the pump number, and the reading
// store with the chart cursor. Widgets only mirror what is here.
struct PanelState {
    // Value boxes; they are also the keypad's entry buffers.
    QString pnow = QStringLiteral("00.0");   // current pressure, MPa
    QString prset = QStringLiteral("02.0");  // pressure limit, MPa
    QString lqset = QStringLiteral("0000");  // flow set point, ml/min

    // Keypad: 1 while a flow (lq) or pressure (pr) entry is in progress.
    qint16 lq = 0;
    qint16 pr = 0;
    // Body of the last keypad set-point frame, without its leading "Q".
    QString setliqstr;
    // Pump number the keypad's set-point frames address.
    qint16 Set_Pump_NO = 0;

    // The last numbers read from the flow and pressure dialogs.
    double setliq = 0;
    double setpresure = 0;

    // Reading store: element k holds the reading taken at cursor k - 1, so a
    // sweep fills 1..100. Element 0 stays 0 (start of every sweep's first
    // segment); 101 and 102 are never used.
    std::array<double, 103> prtrend{};
    // Chart cursor, 0..99: the step at which the next reading is drawn.
    qint16 itime = 0;
};

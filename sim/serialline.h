#pragma once

// Timing of the pump's serial line: 9600 baud, 8 data bits, no parity, one stop
// bit, so every character takes ten bit times on the wire.
namespace pumpsim {

inline constexpr int kBaud = 9600;
inline constexpr int kBitsPerCharacter = 10;  // start bit, 8 data bits, stop bit
inline constexpr double kCharacterMs = 1000.0 * kBitsPerCharacter / kBaud;  // ~1.04 ms

// How long `characters` take on the line, in milliseconds.
constexpr double wireMs(int characters) { return characters * kCharacterMs; }

// Nine-character answers one after another with no gap: ~106.7 per second.
inline constexpr double kLineRateAnswersPerSecond = 1000.0 / wireMs(9);

}  // namespace pumpsim

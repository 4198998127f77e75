#pragma once
// The engine's state codes: the processing window's state machine names
// its steps with these.

#include <cstdint>

namespace vek {

// --- Engine states -----------------------------------------------------------------------
// A 16-bit code whose high byte names the phase. Each state with a handler
// is named after it (StateX runs TForm8::StepX). EngineIdle has no handler:
// the engine waits there for a dialog and after a run.
inline constexpr uint16_t StateClearDisplay = 1;
inline constexpr uint16_t StateResetRun = 2;
inline constexpr uint16_t StateChoosePath = 3;

inline constexpr uint16_t StateEncryptTotals = 0x1000;
inline constexpr uint16_t StateEncryptNextFile = 0x1001;
inline constexpr uint16_t StateEncryptFindSource = 0x1002;
inline constexpr uint16_t StateEncryptRetrySource = 0x1003;
inline constexpr uint16_t StateEncryptCheckTarget = 0x1100;
inline constexpr uint16_t StateEncryptOverwriteAnswer = 0x1101;
inline constexpr uint16_t StateBuildHeader = 0x1200;
inline constexpr uint16_t StateEncryptCheckSpace = 0x1201;
inline constexpr uint16_t StateEncryptSetKey = 0x1202;
inline constexpr uint16_t StateEncryptOpenSource = 0x1300;
inline constexpr uint16_t StateEncryptCreateTarget = 0x1400;
inline constexpr uint16_t StateWriteHeader = 0x1500;
inline constexpr uint16_t StateEncryptReadBlock = 0x1600;
inline constexpr uint16_t StateEncipherBlock = 0x1700;
inline constexpr uint16_t StateEncryptWriteBlock = 0x1800;
inline constexpr uint16_t StateEncryptAdvance = 0x1900;
inline constexpr uint16_t StateEncryptCloseSource = 0x1A00;
inline constexpr uint16_t StateWriteKeyCheck = 0x1B00;
inline constexpr uint16_t StateEncryptCloseTarget = 0x1C00;
inline constexpr uint16_t StateVerifyDisketteEject = 0x1D00;
inline constexpr uint16_t StateVerifyStart = 0x1E00;
inline constexpr uint16_t StateVerifyOpenSource = 0x1F00;
inline constexpr uint16_t StateVerifyOpenTarget = 0x2000;
inline constexpr uint16_t StateVerifyHeader = 0x2100;
inline constexpr uint16_t StateVerifyReadSource = 0x2200;
inline constexpr uint16_t StateVerifyReadTarget = 0x2300;
inline constexpr uint16_t StateVerifyEncipher = 0x2400;
inline constexpr uint16_t StateVerifyCompare = 0x2500;
inline constexpr uint16_t StateVerifyAdvance = 0x2600;
inline constexpr uint16_t StateVerifyKeyCheck = 0x2700;
inline constexpr uint16_t StateVerifyCloseSource = 0x2800;
inline constexpr uint16_t StateVerifyCloseTarget = 0x2900;
inline constexpr uint16_t StateDeletePlaintext = 0x2A00;

inline constexpr uint16_t StateDecryptTotals = 0x4000;
inline constexpr uint16_t StateDecryptNextFile = 0x4001;
inline constexpr uint16_t StateDecryptFindSource = 0x4002;
inline constexpr uint16_t StateDecryptRetrySource = 0x4003;
inline constexpr uint16_t StateDecryptCheckTarget = 0x4100;
inline constexpr uint16_t StateDecryptOverwriteAnswer = 0x4101;
inline constexpr uint16_t StateDecryptCheckSpace = 0x4201;
inline constexpr uint16_t StateDecryptSetKey = 0x4202;
inline constexpr uint16_t StateDecryptOpenSource = 0x4300;
inline constexpr uint16_t StateDecryptCreateTemp = 0x4400;
inline constexpr uint16_t StateDecryptReadBlock = 0x4600;
inline constexpr uint16_t StateDecipherBlock = 0x4700;
inline constexpr uint16_t StateDecryptWriteBlock = 0x4800;
inline constexpr uint16_t StateDecryptAdvance = 0x4900;
inline constexpr uint16_t StateReadKeyCheck = 0x4A00;
inline constexpr uint16_t StateDecryptCloseSource = 0x4B00;
inline constexpr uint16_t StateDecryptCloseTemp = 0x4C00;
inline constexpr uint16_t StateAuthenticateKey = 0x4D00;
inline constexpr uint16_t StatePlaceDecryptedFile = 0x4E00;
inline constexpr uint16_t StateDeleteEncrypted = 0x4F00;

inline constexpr uint16_t StateDeleteListTotals = 0x7000;
inline constexpr uint16_t StateDeleteListNextFile = 0x7001;
inline constexpr uint16_t StateDeleteFile = 0x8000;
inline constexpr uint16_t StateDeleteRetryAnswer = 0x8001;
inline constexpr uint16_t StateWipeStart = 0x8100;
inline constexpr uint16_t StateWipeOpenPass = 0x8200;
inline constexpr uint16_t StateWipeWriteBlock = 0x8300;
inline constexpr uint16_t StateWipeAdvance = 0x8400;
inline constexpr uint16_t StateWipeEndPass = 0x8500;
inline constexpr uint16_t StateWipeRemove = 0x8600;

inline constexpr uint16_t StateFinish = 0xF000;
inline constexpr uint16_t EngineIdle = 0xF001;
inline constexpr uint16_t StateErrorAnswer = 0xFF00;

}  // namespace vek

// Decrypt and key authentication, states 0x4000-0x4F00 (still to be written).

#include "engine/processing_window.h"

namespace vek {

void TForm8::StepDecryptTotals() {}
void TForm8::StepDecryptNextFile() {}
void TForm8::StepDecryptFindSource() {}
void TForm8::StepDecryptRetrySource() {}
void TForm8::StepDecryptCheckTarget() {}
void TForm8::StepDecryptOverwriteAnswer() {}
void TForm8::StepDecryptCheckSpace() {}
void TForm8::StepDecryptSetKey() {}
void TForm8::StepDecryptOpenSource() {}
void TForm8::StepDecryptCreateTemp() {}
void TForm8::StepDecryptReadBlock() {}
void TForm8::StepDecipherBlock() {}
void TForm8::StepDecryptWriteBlock() {}
void TForm8::StepDecryptAdvance() {}
void TForm8::StepReadKeyCheck() {}
void TForm8::StepDecryptCloseSource() {}
void TForm8::StepDecryptCloseTemp() {}
void TForm8::StepAuthenticateKey() {}
void TForm8::StepPlaceDecryptedFile() {}
void TForm8::StepDeleteEncrypted() {}

}  // namespace vek

// The job-list delete and the delete sub-machine, states 0x7000-0x8600 (still
// to be written).

#include "engine/processing_window.h"

namespace vek {

void TForm8::StepDeleteListTotals() {}
void TForm8::StepDeleteListNextFile() {}
void TForm8::StepDeleteFile() {}
void TForm8::StepDeleteRetryAnswer() {}
void TForm8::StepWipeStart() {}
void TForm8::StepWipeOpenPass() {}
void TForm8::StepWipeWriteBlock() {}
void TForm8::StepWipeAdvance() {}
void TForm8::StepWipeEndPass() {}
void TForm8::StepWipeRemove() {}

}  // namespace vek

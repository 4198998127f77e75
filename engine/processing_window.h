#pragma once
// The processing window: the engine that runs a job over the job list
// (encrypt with verify, decrypt, deletes) as a state machine on a 1 ms
// timer, small steps run a tick's worth at a time, with its progress
// display, CPU boost, status animation, warnings and error reports, and the
// activity log.
//
// The state codes are in core/constants.h; every state with a handler runs
// the step member of the same name (StateX runs StepX). A step moves the
// engine by writing EngineState.Next; a dialog button, which runs between
// two ticks, writes EngineState.Current.
//
// The members live in several files: processing_window.cpp (the frame:
// show, timers, dispatch, run start, progress, boost, animation, buttons,
// finish), job_checks.cpp (the per-file steps and block reads and writes
// that encrypt and decrypt share), encrypt_steps.cpp (encrypt, verify, header writer),
// decrypt_steps.cpp, delete_steps.cpp, reports.cpp (warnings, error
// reports, the answer state) and activity_log.cpp.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"
#include "engine/engine_states.h"
#include "platform/files.h"
#include "ui/form.h"

namespace vek {

class TForm8 : public ui::TForm {
 public:
  ui::TGroupBox* GroupBox1 = nullptr;  // " Current task : "
  ui::TLabel* Label1 = nullptr;        // current task
  ui::TLabel* Label14 = nullptr;       // current sub-task
  // Status icons Image2..Image24 at StatusIcons[0..22], all at one spot.
  static constexpr int FirstStatusIcon = 2;
  static constexpr int LastStatusIcon = 24;
  std::array<ui::TImage*, LastStatusIcon - FirstStatusIcon + 1> StatusIcons{};
  ui::TGroupBox* GroupBox2 = nullptr;  // " Task details : " (and the CPU boost)
  ui::TLabel* Label2 = nullptr;
  ui::TLabel* Label3 = nullptr;
  ui::TLabel* Label4 = nullptr;
  ui::TLabel* Label5 = nullptr;
  ui::TLabel* Label8 = nullptr;
  ui::TLabel* Label11 = nullptr;  // file counter
  ui::TLabel* Label12 = nullptr;  // file names
  ui::TLabel* Label13 = nullptr;  // file location
  ui::TLabel* Label7 = nullptr;   // file progress amount
  ui::TLabel* Label6 = nullptr;   // file progress percent
  ui::TLabel* Label10 = nullptr;  // overall progress amount
  ui::TLabel* Label9 = nullptr;   // overall progress percent
  ui::TProgressBar* ProgressBar1 = nullptr;
  ui::TProgressBar* ProgressBar2 = nullptr;
  ui::TButton* Button1 = nullptr;  // "&Cancel", "&OK" after the run
  ui::TButton* Button2 = nullptr;  // "Minimize (&normal speed)"
  ui::TButton* Button3 = nullptr;  // "Minimize (&slow speed)"
  ui::TButton* Button4 = nullptr;  // "&View activity log"
  ui::TTimer* Timer1 = nullptr;    // engine tick, 1 ms
  ui::TTimer* Timer2 = nullptr;    // status animation, 1000 ms

  // The run's files; the matching flags of core/state.h say which are open.
  std::unique_ptr<platform::FileStream> SourceStream;
  std::unique_ptr<platform::FileStream> TargetStream;
  std::unique_ptr<platform::FileStream> TempStream;  // decrypt's "tmp.tmp"
  std::unique_ptr<platform::FileStream> WipeStream;

  // --- Frame (processing_window.cpp) -----------------------------------------
  void FormShow();
  void FormHide();
  void FormClose(ui::TCloseAction& action);
  void Timer1Timer();
  void Timer2Timer();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();

  // The work one tick may do, in keystream bytes computed (a stirring pass
  // each): by default one block's worth, a few milliseconds. A step that
  // computes keystream stops where the budget is spent and the next tick
  // goes on from there. A tick always runs at least one step, so 0 makes it
  // one step a tick, each step whole.
  static constexpr int64_t DefaultTickBudget = static_cast<int64_t>(SharedBufferSize);
  // The most one overwrite step writes: 512 blocks of the pattern (4 MB),
  // well under a millisecond into the host's cache.
  static constexpr int64_t WipeStepLength = 512 * static_cast<int64_t>(SharedBufferSize);
  void SetTickBudget(int64_t keystreamBytes) { tickBudget_ = keystreamBytes; }
  int64_t TickBudget() const { return tickBudget_; }
  // What a step that yielded to the next tick has done of its cipher work
  // (bytes of its block, or of the key's premix); 0 when no step waits so.
  size_t YieldedWork() const { return cipherDone_ + keyPremixed_; }
  // How often, in milliseconds of the window's clock, the progress lines
  // follow the work while a file is processed (0: after every step).
  static constexpr int64_t DefaultProgressInterval = 30;
  void SetProgressInterval(int64_t ms) { progressInterval_ = ms; }
  int64_t ProgressInterval() const { return progressInterval_; }

  // A run is in progress: from the show to the finish. While it is, no
  // other window may use KeyState, the work buffers or the job list.
  bool RunActive() const { return runActive_; }
  // Closes every stream still open. A file the run was writing and has not
  // completed (a temporary file before it takes its name) is removed: no
  // half-written file is left behind.
  void CloseAllStreams();
  // After a dialog's answer: the priority class the current file runs with,
  // when that is a raised one (encrypt's or decrypt's boost).
  void RestoreBoost();

  void ShowStatusIcon(int number, bool visible);
  void HideStatusIcons();
  void SetAnimation(uint8_t kind);
  void AnimateStatusIcon();
  void ShowFileProgress();
  void ShowOverallProgress();
  // Both lines now, and what was held back with them.
  void ShowProgressNow();
  static int64_t KilobytesRoundedUp(int64_t size);
  // What the overall progress counts for the overwrite passes of a file of
  // `size` bytes with DeleteMethod: its kilobytes, rounded up, each pass.
  static int64_t OverwriteProgressBytes(int64_t size);
  // The boost rule: whether a file of `size` bytes runs with raised priority
  // under the option InsaneModeThreshold.
  static bool BoostApplies(int64_t size);

  // The cipher on the program-wide KeyState.
  void SetKey(std::string_view key);
  uint8_t EncipherByte(uint8_t value);
  uint8_t DecipherByte(uint8_t value);
  void ClearKeyState();
  void ResetKeyStream();

  // Entries of the job list that a run visits (never beyond its arrays).
  static uint16_t JobEntryCount();

  // --- Warnings and error reports (reports.cpp) --------------------------------
  void RaiseWarning(bool allowContinue, const std::string& subject, uint16_t continuation,
                    const std::string& message);
  void RaiseError(uint16_t code, uint16_t retryState);
  void DescribeError();

  // --- Activity log (activity_log.cpp) ------------------------------------------
  void LogLine(const std::string& text);
  void LogAction(const std::string& text);
  void StartActivityLog(uint8_t kind);

  // --- Header writer (encrypt_steps.cpp) ------------------------------------------
  static std::string WordToBytes(uint16_t value);
  static std::string DWordToBytes(uint32_t value);
  static std::string QWordToBytes(uint64_t value);

  // --- Steps, one per state -----------------------------------------------------
  // Frame.
  void StepClearDisplay();
  void StepResetRun();
  void StepChoosePath();
  void StepEncryptTotals();
  void StepFinish();
  void StepErrorAnswer();  // reports.cpp
  // Encrypt and verify (encrypt_steps.cpp).
  void StepEncryptNextFile();
  void StepEncryptFindSource();
  void StepEncryptRetrySource();
  void StepEncryptCheckTarget();
  void StepEncryptOverwriteAnswer();
  void StepBuildHeader();
  void StepEncryptCheckSpace();
  void StepEncryptSetKey();
  void StepEncryptOpenSource();
  void StepEncryptCreateTarget();
  void StepWriteHeader();
  void StepEncryptReadBlock();
  void StepEncipherBlock();
  void StepEncryptWriteBlock();
  void StepEncryptAdvance();
  void StepEncryptCloseSource();
  void StepWriteKeyCheck();
  void StepEncryptCloseTarget();
  void StepVerifyDisketteEject();
  void StepVerifyStart();
  void StepVerifyOpenSource();
  void StepVerifyOpenTarget();
  void StepVerifyHeader();
  void StepVerifyReadSource();
  void StepVerifyReadTarget();
  void StepVerifyEncipher();
  void StepVerifyCompare();
  void StepVerifyAdvance();
  void StepVerifyKeyCheck();
  void StepVerifyCloseSource();
  void StepVerifyCloseTarget();
  void StepDeletePlaintext();
  // Decrypt and key authentication (decrypt_steps.cpp).
  void StepDecryptTotals();
  void StepDecryptNextFile();
  void StepDecryptFindSource();
  void StepDecryptRetrySource();
  void StepDecryptCheckTarget();
  void StepDecryptOverwriteAnswer();
  void StepDecryptCheckSpace();
  void StepDecryptSetKey();
  void StepDecryptOpenSource();
  void StepDecryptCreateTemp();
  void StepDecryptReadBlock();
  void StepDecipherBlock();
  void StepDecryptWriteBlock();
  void StepDecryptAdvance();
  void StepReadKeyCheck();
  void StepDecryptCloseSource();
  void StepDecryptCloseTemp();
  void StepAuthenticateKey();
  void StepPlaceDecryptedFile();
  void StepDeleteEncrypted();
  // Job-list delete and the delete sub-machine (delete_steps.cpp).
  void StepDeleteListTotals();
  void StepDeleteListNextFile();
  void StepDeleteFile();
  void StepDeleteRetryAnswer();
  void StepWipeStart();
  void StepWipeOpenPass();
  void StepWipeWriteBlock();
  void StepWipeAdvance();
  void StepWipeEndPass();
  void StepWipeRemove();

  using TStep = void (TForm8::*)();
  // The step of a state, or nothing for a state without a handler.
  static TStep StepFor(uint16_t state);

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  static void SetNextState(uint16_t state) { EngineState.Next = state; }
  // The current job's source and target, in JobFolder.
  static std::string SourcePath() { return JobFolder + SourceName; }
  static std::string TargetPath() { return JobFolder + TargetName; }
  // Frees the stream and clears its flag.
  void CloseSource();
  void CloseTarget();
  // Opens `path` for reading, share-exclusive, into `stream` and sets
  // `open`; when it cannot, raises error `code` naming `file`, to retry the
  // current state.
  bool OpenForReading(std::unique_ptr<platform::FileStream>& stream, bool& open,
                      const std::string& path, const std::string& file, uint16_t code);
  // Removes the file the run was writing and has not completed, if any. One
  // that cannot be removed now is tried again at every later clean-up of
  // this run; the finish logs any that is still there.
  void RemovePartialFile();
  void RemoveLeftovers();
  // Whether the open source is the file that was listed; if not, the
  // source is closed and the warning raised, going on at `skip`.
  bool SourceIsListedFile(uint16_t skip);
  // Raises the warning for a file that is not the one listed (no continue).
  void WarnNotListedFile(const std::string& name, uint16_t skip);
  // Raises the warning for a file reached only through a folder that is a
  // symbolic link (no continue).
  void WarnFolderLink(const std::string& name, uint16_t skip);
  // Raises the warning for a pipe, socket or device listed as a file (no continue).
  void WarnSpecialFile(const std::string& name, uint16_t skip);
  // Removes what an earlier run left under a temporary name; false when it stays.
  bool RemoveLeftTemporary(const std::string& path);
  // Creates a file under a temporary name in JobFolder that nothing in the
  // folder holds (never the target's), so that no existing file is emptied,
  // and makes it the file under construction.
  bool CreateTempFile(std::unique_ptr<platform::FileStream>& stream, bool& open);
  // Gives the completed temporary file its name: an existing target (which
  // the user agreed to replace) is replaced in the same step, and one that
  // appeared since the check is not replaced.
  bool PlaceTempFile();
  void ShowBoost(uint32_t priorityClass, std::string_view caption);
  // The trimmed key text of the key entry window into the key state, and a
  // run of bytes begun on the run's keystream; false when the premix waits
  // for the next tick (the step is run again and goes on), or (the run
  // stopped) when the text trims to nothing.
  bool SetKeyFromKeyEntry();
  // The current block (SharedBuffer, BlockLength) through the run's
  // keystream, which computes only what it does not hold yet, as far as
  // this tick allows: true once all of it is done and
  // the key state stands after it; false when the tick's work or time ran
  // out first (the next tick goes on where this one stopped).
  bool CipherBlockInSlices(bool decipher);
  // Keystream bytes the current step may compute now, before it yields
  // to the next tick (0: yield now).
  size_t SliceAllowance();
  // Ends a slice that began at `began` and was allowed `allowed` bytes, of
  // which `left` were not used: charged to the tick and timed.
  void EndSlice(std::chrono::steady_clock::time_point began, size_t allowed, size_t left);
  void NoteKeystreamLock();
  // A slice of the run's keystream wiped for the finish: a fixed one a
  // tick, on the real clock as much as the tick has time for; true once
  // nothing is left.
  bool WipeRunKeystreamSlices();
  void ResetRunVariables();
  // The log file name of this run: captured now, and never one that an
  // earlier run of this session was given or that exists already.
  void AssignLogFileName();

  // Per-file steps of the encrypt and decrypt paths (job_checks.cpp), each
  // given the states of its path. BeginJob shows the job (source, target,
  // folder, its progress at 0) and logs its start.
  void BeginJob(uint16_t next);
  void FindSource(uint16_t found, uint16_t retry, uint16_t missing);
  void RetrySourceAnswer(uint16_t find, uint16_t skip);
  void CheckTarget(uint16_t absent, uint16_t answer);
  void CheckFreeSpace(int64_t need, const std::string& errorFile, uint16_t enough, uint16_t skip);
  // A read of `count` bytes into `buffer`: the count read, or -1 after it
  // raised an error naming `file`: `failureCode` when the read fails, 30
  // (read fault) when the file ends first.
  int64_t ReadExactly(platform::FileStream& stream, uint8_t* buffer, int64_t count,
                      const std::string& file, uint16_t failureCode);
  // Writes `count` bytes at the stream's position; a failure puts the
  // position back and raises error 29 naming `file`, to retry the current
  // state (which writes the same bytes at the same place).
  bool WriteOrRaise(platform::FileStream& stream, const uint8_t* data, size_t count,
                    const std::string& file);
  // The same for `count` bytes made of the `blockLength` bytes at `block`
  // repeated.
  bool WriteRepeatedOrRaise(platform::FileStream& stream, const uint8_t* block, size_t blockLength,
                            size_t count, const std::string& file);
  void AdvanceProgress(int64_t bytes);
  // At the end of a tick: the progress held back, when it is due.
  void ShowDueProgress();
  // The steps of one tick.
  void RunTickSteps();
  // Work done in this tick: keystream bytes computed, bytes read or written.
  void ChargeTick(int64_t keystreamBytes);
  void ChargeTransfer(int64_t bytes);

  // Encrypt helpers (encrypt_steps.cpp).
  void BuildHeaderText();
  bool AdoptMeasuredSourceSize();
  bool ReadTargetBlock(int64_t count);
  bool EncryptedFileEndsHere();
  void LeaveFileWithWarning(const std::string& message);
  bool SourceHasMoreData();

  // Decrypt helpers (decrypt_steps.cpp).
  enum class TListedCheck { AsListed, Changed, Unreadable };
  // Whether the open source, as it is now, is still the file that was listed.
  TListedCheck SourceStillAsListed();

  // Delete helpers (delete_steps.cpp).
  // `identity`: who the file must be (the listed file); none: the file
  // found under the name when the delete states begin.
  void EnterDeleteStates(const std::string& folder, const std::string& name, int64_t size,
                         uint16_t returnState,
                         std::optional<platform::FileIdentity> identity = std::nullopt);
  // False (the file's warning raised, the run going on at `skip`) when the
  // delete states' file is no longer the file they began with.
  bool DeleteFileIsTheSame(const platform::FileIdentity& now);
  void LeaveDeleteStates();
  // The end of a job-list delete run, however it ends: the list is emptied
  // and its buttons disabled.
  void EndJobListDelete();

  int64_t tickBudget_ = DefaultTickBudget;
  int64_t tickWork_ = 0;
  // On the real clock: when the tick began, and its longest slice of
  // keystream so far (the estimate of the next).
  std::chrono::steady_clock::time_point tickStarted_{};
  std::chrono::steady_clock::duration longestSlice_{};
  // How far a step that yielded has gone: the bytes of the current block
  // through the cipher, the state bytes of the key premixed.
  size_t cipherDone_ = 0;
  size_t keyPremixed_ = 0;
  int64_t progressInterval_ = DefaultProgressInterval;
  int64_t progressShownAt_ = 0;  // on the window's clock
  bool progressHeld_ = false;    // progress made since, not shown yet
  // The current encrypted file's digests, by block: each source block as it
  // was read, each data block as it was written, and the key-check block;
  // then those of the blocks the verification read back.
  std::vector<uint64_t> sourceDigests_;
  std::vector<uint64_t> writtenDigests_;
  uint64_t keyCheckDigest_ = 0;
  uint64_t verifySourceDigest_ = 0;
  uint64_t verifyTargetDigest_ = 0;
  bool runActive_ = false;
  bool keystreamLockLogged_ = false;  // this run's word on locked memory is said
  // The file under construction: the temporary file that becomes the
  // encrypted or the decrypted file, until it took its name.
  std::string partialFile_;
  std::string tempName_;  // its name, in JobFolder
  platform::FileIdentity tempIdentity_;
  // The current job's source as it was listed (or first found).
  std::optional<platform::FileIdentity> sourceIdentity_;
  // The file of the delete states.
  std::optional<platform::FileIdentity> deleteIdentity_;
  // Unfinished files of this run that could not be removed yet.
  struct TLeftover {
    std::string Path;
    platform::FileIdentity Identity;
  };
  std::vector<TLeftover> leftovers_;
  // The priority class of the current file (raised by its boost, or normal).
  uint32_t fileBoostClass_ = 0;
  // The attribute word the current encrypted file's header preserved, if any.
  std::optional<uint32_t> preservedAttributes_;
  // Who may do what with the current encrypted file: the restored file is
  // never open to more than that.
  uint32_t sourcePermissions_ = 0;
  int64_t wipeDone_ = 0;          // bytes of the current overwrite pass written
  int64_t wipeStepLength_ = 0;    // bytes the current overwrite step writes
  bool wipePassFlushed_ = false;  // the current pass is on the device
  int64_t wipeReleased_ = 0;      // bytes of the last pass the host may drop
  // A plain delete that failed with warnings off is tried again each tick
  // without logging each try.
  bool deleteRetryQuiet_ = false;
  std::vector<std::string> logFileNamesGiven_;
};

}  // namespace vek

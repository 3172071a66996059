#pragma once
// Faults of the shop database made on purpose: an engine around the one the database opens
// refuses a row write or loses the shop server's connection at a commit, as a failing engine or
// network would.
namespace marvono::test {

// The n-th record-set row write from now on (1 = the next) fails as if the engine refused it;
// 0 switches the fault off.
void injectWriteFault(int nthWrite);

// The shop server's connection breaks at the next commit, before the server receives it or once
// the server has committed, as a network failure would.
enum class CommitLoss { None, BeforeCommit, AfterCommit };
void injectCommitLoss(CommitLoss loss);

// Every file this process writes stops growing at `bytes` bytes (a write beyond fails, as on a
// disk that refuses it); a negative value lifts the limit.
void limitFileSize(long long bytes);

} // namespace marvono::test

// The time the contacts list may take in one turn of the event loop, shared by everything it does
// then (filling, row windows, bringing windows up to date), so that the loop draws and answers
// the user between turns. A piece of work whose usual cost no longer fits waits for the next
// turn; the first piece of a turn always goes, so that the work always goes on.
#ifndef PARLAVOX_GUI_CONTACTS_TURNBUDGET_H
#define PARLAVOX_GUI_CONTACTS_TURNBUDGET_H

#include <chrono>

class TurnBudget {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TurnBudget(Clock::duration length) : m_length(length) {}

  // A new turn of the event loop: the whole budget again, from the first piece of work on.
  void NewTurn();
  // The end of this turn's budget. Where the loop has no idle time (something yields to the tool
  // kit), a budget that ended long enough ago is renewed all the same.
  Clock::time_point End();
  // Whether a piece of work that usually costs `cost` fits in what is left of the budget.
  bool Fits(Clock::duration cost);
  // A piece of work was done; the next ones are no longer the first of the turn.
  void Spent() { m_pieces++; }
  // Work done between turns (updates handed over, placements): the next turn has that much less.
  void Charge(Clock::duration took) { m_charged += took; }

 private:
  Clock::duration m_length;
  // None before the first piece of work of a turn.
  Clock::time_point m_end;
  int m_pieces = 0;
  Clock::duration m_charged = Clock::duration::zero();
};

// The usual cost of one piece of a kind of work, learnt from the last ones.
class CostEstimate {
 public:
  using Clock = std::chrono::steady_clock;

  explicit CostEstimate(Clock::duration first) : m_cost(first) {}
  Clock::duration Get() const { return m_cost; }
  // One more piece took `took`; a slow one counts at once, fast ones bring the estimate down
  // slowly.
  void Add(Clock::duration took);

 private:
  Clock::duration m_cost;
};

// Does `work` when its usual cost fits in what is left of the turn's budget, and learns what it
// took; false, with nothing done, when it waits for a later turn.
template <typename Work>
bool DoWithinBudget(TurnBudget& budget, CostEstimate& cost, Work&& work) {
  if (!budget.Fits(cost.Get())) return false;
  const TurnBudget::Clock::time_point start = TurnBudget::Clock::now();
  work();
  cost.Add(TurnBudget::Clock::now() - start);
  budget.Spent();
  return true;
}

#endif

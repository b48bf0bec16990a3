#include "gui/contacts/turnBudget.h"

#include <algorithm>

void TurnBudget::NewTurn() {
  m_end = Clock::time_point();
  m_pieces = 0;
}

TurnBudget::Clock::time_point TurnBudget::End() {
  const Clock::time_point now = Clock::now();
  if (m_end == Clock::time_point() || now > m_end + m_length) {
    m_end = now + m_length - std::min(m_charged, m_length);
    m_charged = Clock::duration::zero();
    m_pieces = 0;
  }
  return m_end;
}

bool TurnBudget::Fits(Clock::duration cost) {
  const Clock::time_point end = End();
  return m_pieces == 0 || Clock::now() + cost <= end;
}

void CostEstimate::Add(Clock::duration took) {
  m_cost = took > m_cost ? took : (m_cost * 7 + took) / 8;
}

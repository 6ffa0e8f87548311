#pragma once

#include <utility>

// Runs a closing step however the scope is left.
template <class F>
class TFinally {
 public:
  explicit TFinally(F action) : FAction(std::move(action)) {}
  ~TFinally() { FAction(); }
  TFinally(const TFinally&) = delete;
  TFinally& operator=(const TFinally&) = delete;

 private:
  F FAction;
};

// The fixture of the exchange-file tests: fresh exchange data for every test.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "exchange/JwwGaibu.h"

class JwwGaibu : public ::testing::Test {
 protected:
  void SetUp() override { exchange::ResetExchangeData(); }
  void TearDown() override { exchange::FreeExchangeData(); }
  static void Parse(std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) exchange::ParseExchangeLine(line);
  }
  static const exchange::TJwwExchange& Data() { return exchange::ExchangeData; }
};

// The fixture of the exchange-file tests: fresh exchange data for every test.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "exchange/ExchangeFile.h"

class ExchangeFile : public ::testing::Test {
 protected:
  void Parse(std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) reader.ParseExchangeLine(line);
  }
  const exchange::TJwwExchange& Data() const { return reader.ExchangeData; }

  exchange::ExchangeReader reader;
};

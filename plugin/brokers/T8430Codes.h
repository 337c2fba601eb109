#pragma once
// What the brokers that serve the "t8430" stock list (LS, Korea Investment) share: the
// market letters of the overseas lists, the body of an overseas list request and the exchange
// code of an overseas price request.

inline bool IsOverseasListLetter(char letter) {
  return letter == 'D' || letter == 'N' || letter == 'A';
}

// The overseas list body of a market letter ('D' New York, 'N' Nasdaq, any other Amex).
inline const char* OverseasListBody(char letter) {
  switch (letter) {
    case 'D':
      return "{\"In\": {\"InputDataCode\": \"NY\" }}";
    case 'N':
      return "{\"In\": {\"InputDataCode\": \"NA\" }}";
    default:
      return "{\"In\": {\"InputDataCode\": \"AM\" }}";
  }
}

// The exchange code of an overseas record's market letter, or null for another letter.
inline const char* OverseasExchangeCode(char letter) {
  switch (letter) {
    case 'D':
      return "FY";
    case 'N':
      return "FN";
    case 'A':
      return "FA";
    default:
      return nullptr;
  }
}

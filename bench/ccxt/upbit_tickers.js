// One Upbit ticker poll of `count` markets through the ccxt package's Upbit client, against the
// exchange peer at `host` (127.0.0.1:<port>; its CA comes in through NODE_EXTRA_CA_CERTS).
// Prints one JSON line: the median milliseconds of `rounds` polls and the tickers of the last.
//   node upbit_tickers.js <ccxt folder> <host> <count> <rounds>
'use strict';
const path = require('path');
const { createRequire } = require('module');

async function main() {
  const [dir, host, countText, roundsText] = process.argv.slice(2);
  const ccxt = createRequire(path.join(dir, 'package.json'))('ccxt');
  const count = Number(countText);
  const rounds = Number(roundsText);
  const upbit = new ccxt.upbit({ enableRateLimit: false, hostname: host });
  await upbit.loadMarkets();
  const symbols = upbit.symbols.filter((s) => s.endsWith('/KRW')).slice(0, count);
  if (symbols.length !== count) throw new Error(`the peer lists ${symbols.length} KRW markets`);
  let tickers = {};
  for (let i = 0; i < 5; ++i) tickers = await upbit.fetchTickers(symbols);
  const times = [];
  for (let i = 0; i < rounds; ++i) {
    const start = process.hrtime.bigint();
    tickers = await upbit.fetchTickers(symbols);
    times.push(Number(process.hrtime.bigint() - start) / 1e6);
  }
  times.sort((a, b) => a - b);
  console.log(JSON.stringify({ median_ms: times[Math.floor(times.length / 2)],
                               tickers: Object.keys(tickers).length }));
}

main().catch((error) => {
  console.error(String(error && error.stack ? error.stack : error));
  process.exit(1);
});

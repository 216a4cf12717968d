// node-simconnect, an independent SimConnect client, against our simulator
// stand-in: it must open, map and transmit events that change the aircraft,
// define data and receive it laid out as defined.
//
// usage: node standin-check.js <path of simstandin>
'use strict';
const { spawn } = require('child_process');
const readline = require('readline');
const { open, Protocol, SimConnectDataType, SimConnectPeriod } = require('node-simconnect');

const standInPath = process.argv[2];
const overall = setTimeout(() => fail('timed out'), 15000);

const standIn = spawn(standInPath, ['--port', '0', '--rate', '60'], { stdio: ['pipe', 'pipe', 'inherit'] });
const lines = readline.createInterface({ input: standIn.stdout });
const seen = [];     // every line, for the failure report
const unread = [];   // lines no wait has consumed yet
let waiter = null;
lines.on('line', (line) => {
  seen.push(line);
  unread.push(line);
  if (waiter) waiter();
});
// The next line starting with `prefix`, skipping others, whether it has
// already arrived or is still to come.
function nextLine(prefix) {
  return new Promise((resolve) => {
    const look = () => {
      while (unread.length > 0) {
        const line = unread.shift();
        if (line.startsWith(prefix)) {
          waiter = null;
          resolve(line);
          return;
        }
      }
      waiter = look;
    };
    look();
  });
}

function fail(why) {
  console.error(`FAIL: ${why}`);
  console.error(seen.map((l) => `  stand-in: ${l}`).join('\n'));
  standIn.kill('SIGKILL');
  process.exit(1);
}

function check(condition, what) {
  if (!condition) fail(what);
  console.log(`ok: ${what}`);
}

async function state() {
  const line = nextLine('state ');
  standIn.stdin.write('state\n');
  const fields = {};
  for (const pair of (await line).split(' ').slice(1)) {
    const [key, value] = pair.split('=');
    fields[key] = value;
  }
  return fields;
}

async function main() {
  const listening = await nextLine('listening on ');
  const port = parseInt(listening.split(':')[1], 10);
  check(port > 0, `stand-in listening on port ${port}`);

  const { recvOpen, handle } = await open('Peer check', Protocol.KittyHawk, { host: '127.0.0.1', port });
  check(recvOpen.applicationName.length > 0, `open answered by "${recvOpen.applicationName}"`);
  check((await nextLine('client: ')) === 'client: connected "Peer check"', 'stand-in saw the client name');
  handle.on('exception', (e) => fail(`exception ${e.exception} for request ${e.sendId}`));

  const events = [
    [2, 'NAV1_STBY_SET', 0x11150, 'nav1_standby', '111.50'],
    [7, 'XPNDR_SET', 0x7700, 'squawk', '7700'],
    [95, 'AP_MASTER', 0, 'ap_master', '1'],
    [4, 'HEADING_BUG_SET', 123, 'heading_bug', '123'],
  ];
  for (const [id, name] of events) handle.mapClientEventToSimEvent(id, name);
  for (const [id, name, data] of events) {
    handle.transmitClientEvent(0, id, data, 1, 0x10);
    await nextLine('aircraft: ');
  }
  const after = await state();
  for (const [, name, data, key, value] of events) {
    check(after[key] === value, `${name} 0x${data.toString(16)} -> ${key}=${value} (got ${after[key]})`);
  }
  check(after.mapped === String(events.length), `mapped=${events.length}`);

  handle.addToDataDefinition(0, 'NAV STANDBY FREQUENCY:1', 'MHz', SimConnectDataType.FLOAT64, 0.0, 0xffffffff);
  handle.addToDataDefinition(0, 'AUTOPILOT HEADING LOCK DIR', 'degrees', SimConnectDataType.FLOAT64, 0.0, 0xffffffff);
  handle.addToDataDefinition(1, 'TRANSPONDER CODE:1', 'BCO16', SimConnectDataType.INT32, 0.0, 0xffffffff);
  handle.addToDataDefinition(1, 'AUTOPILOT MASTER', 'Bool', SimConnectDataType.INT32, 0.0, 0xffffffff);
  handle.requestDataOnSimObject(0, 0, 0, SimConnectPeriod.SIM_FRAME, 0, 0, 0, 0);
  handle.requestDataOnSimObject(1, 1, 0, SimConnectPeriod.SIM_FRAME, 0, 0, 0, 0);

  const frames = { 0: 0, 1: 0 };
  await new Promise((resolve) => {
    handle.on('simObjectData', (data) => {
      const request = data.requestID;
      if (frames[request] === 0) {
        if (request === 0) {
          const nav1 = data.data.readFloat64();
          const bug = data.data.readFloat64();
          check(nav1 === 111.5 && bug === 123, `request 0 carries NAV1 111.5 and bug 123 (got ${nav1}, ${bug})`);
        } else {
          const squawk = data.data.readInt32();
          const master = data.data.readInt32();
          check(squawk === 0x7700 && master === 1, `request 1 carries 0x7700 and master 1 (got 0x${squawk.toString(16)}, ${master})`);
        }
      }
      frames[request] += 1;
      if (frames[0] >= 3 && frames[1] >= 3) resolve();
    });
  });
  check(true, 'data streams every frame for both requests');

  handle.close();
  check((await nextLine('client: ')) === 'client: disconnected', 'stand-in saw the client leave');
  standIn.stdin.write('quit\n');
  standIn.on('exit', (code) => {
    clearTimeout(overall);
    check(code === 0, 'stand-in quit with 0');
    process.exit(0);
  });
}

main().catch((e) => fail(e.stack || String(e)));

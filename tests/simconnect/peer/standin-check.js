// node-simconnect, an independent SimConnect client, against our simulator
// stand-in: its events must change the aircraft, and its data definitions
// must come back every frame laid out as defined, and its aircraft's identity
// must read as the independent client reads the simulator's.
// usage: node standin-check.js <path of simstandin>
'use strict';
const { spawn } = require('child_process');
const readline = require('readline');
const { open, Protocol, SimConnectDataType, SimConnectPeriod } = require('node-simconnect');

const standIn = spawn(process.argv[2], ['--port', '0', '--rate', '60'], { stdio: ['pipe', 'pipe', 'inherit'] });
const lines = [];
let read = 0;
let wake = () => {};
readline.createInterface({ input: standIn.stdout }).on('line', (line) => { lines.push(line); wake(); });
setTimeout(() => fail('timed out'), 15000);

// The next line starting with `prefix`, skipping others.
async function nextLine(prefix) {
  for (;;) {
    while (read < lines.length) if (lines[read++].startsWith(prefix)) return lines[read - 1];
    await new Promise((resolve) => (wake = resolve));
  }
}

function fail(why) {
  console.error(`FAIL: ${why}\n${lines.map((l) => `  stand-in: ${l}`).join('\n')}`);
  standIn.kill('SIGKILL');
  process.exit(1);
}

const check = (condition, what) => (condition ? console.log(`ok: ${what}`) : fail(what));

async function main() {
  const port = Number((await nextLine('listening on ')).split(':')[1]);
  const { recvOpen, handle } = await open('Peer check', Protocol.KittyHawk, { host: '127.0.0.1', port });
  check((await nextLine('client: ')) === 'client: connected "Peer check"', `opened by "${recvOpen.applicationName}"`);
  handle.on('exception', (e) => fail(`exception ${e.exception} for request ${e.sendId}`));

  const events = [[2, 'NAV1_STBY_SET', 0x11150, 'nav1_standby', '111.50'], [7, 'XPNDR_SET', 0x7700, 'squawk', '7700'],
    [95, 'AP_MASTER', 0, 'ap_master', '1'], [4, 'HEADING_BUG_SET', 123, 'heading_bug', '123']];
  for (const [id, name] of events) handle.mapClientEventToSimEvent(id, name);
  for (const [id, , data] of events) {
    handle.transmitClientEvent(0, id, data, 1, 0x10);
    await nextLine('aircraft: ');
  }
  standIn.stdin.write('state\n');
  const state = Object.fromEntries((await nextLine('state ')).split(' ').slice(1).map((pair) => pair.split('=')));
  for (const [, name, data, key, value] of events) {
    check(state[key] === value, `${name} 0x${data.toString(16)} -> ${key}=${value} (got ${state[key]})`);
  }
  check(state.mapped === String(events.length), `mapped=${events.length}`);

  const { FLOAT64, INT32 } = SimConnectDataType;
  [[0, 'NAV STANDBY FREQUENCY:1', 'MHz', FLOAT64], [0, 'AUTOPILOT HEADING LOCK DIR', 'degrees', FLOAT64],
    [1, 'TRANSPONDER CODE:1', 'BCO16', INT32], [1, 'AUTOPILOT MASTER', 'Bool', INT32]]
    .forEach(([definition, ...datum]) => handle.addToDataDefinition(definition, ...datum, 0.0, 0xffffffff));
  for (const request of [0, 1]) handle.requestDataOnSimObject(request, request, 0, SimConnectPeriod.SIM_FRAME, 0, 0, 0, 0);
  const frames = [[], []];
  await new Promise((resolve) => handle.on('simObjectData', ({ requestID, data }) => {
    const next = requestID === 0 ? () => data.readFloat64() : () => data.readInt32();
    frames[requestID].push(`${next()} ${next()}`);
    if (frames[0].length >= 3 && frames[1].length >= 3) resolve();
  }));
  check(frames[0].every((f) => f === '111.5 123'), `request 0 brings NAV1 111.5 and bug 123 each frame: ${frames[0]}`);
  check(frames[1].every((f) => f === `${0x7700} 1`), `request 1 brings 0x7700 and master on each frame: ${frames[1]}`);

  handle.requestSystemState(7, 'AircraftLoaded');
  const loadedState = await new Promise((resolve) => handle.once('systemState', resolve));
  check(loadedState.requestID === 7 && loadedState.dataString === 'SimObjects\\Airplanes\\Asobo_C172sp_AS1000\\aircraft.CFG',
    `AircraftLoaded state: ${loadedState.dataString}`);
  handle.subscribeToSystemEvent(105, 'AircraftLoaded');
  standIn.stdin.write('aircraft pmdg737\n');
  const loaded = await new Promise((resolve) => handle.once('eventFilename', resolve));
  check(loaded.clientEventId === 105 && loaded.fileName === 'SimObjects\\Airplanes\\PMDG 737-800\\aircraft.cfg',
    `AircraftLoaded event: ${loaded.fileName}`);

  handle.close();
  check((await nextLine('client: ')) === 'client: disconnected', 'stand-in saw the client leave');
  standIn.on('exit', (code) => process.exit(code === 0 ? 0 : 1));  // and quits with 0
  standIn.stdin.write('quit\n');
}

main().catch((e) => fail(e.stack || String(e)));

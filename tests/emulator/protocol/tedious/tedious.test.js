// The SQL Server stand-in driven by tedious (Node's TDS client): login,
// batches, rows, errors, progress messages, cancellation and refused RPC.
'use strict';

const { test } = require('node:test');
const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { Connection, Request } = require('tedious');

const SA_PASSWORD = 'Tedious-Sa-1';

// Starts the stand-in on a free loopback port; stop() checks it exits 0
// without sanitizer reports.
async function startEmulator(extraArgs = []) {
  const binary = process.env.SQLSERVER_EMULATOR;
  assert.ok(binary, 'SQLSERVER_EMULATOR must name the sqlserver-emulator binary');
  const child = spawn(binary, ['--sa-password', SA_PASSWORD, '--listen', '127.0.0.1:0', ...extraArgs]);
  let stderr = '';
  child.stderr.on('data', (chunk) => { stderr += chunk; });
  const exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));
  const port = await new Promise((resolve, reject) => {
    let out = '';
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const match = /^listening on 127\.0\.0\.1:(\d+)\n/.exec(out);
      if (match) resolve(Number(match[1]));
    });
    child.on('exit', () => reject(new Error(`emulator exited before listening: ${stderr}`)));
  });
  return {
    port,
    async stop() {
      child.kill('SIGTERM');
      const { code } = await exited;
      assert.equal(code, 0, `emulator exit code; stderr:\n${stderr}`);
      assert.doesNotMatch(stderr, /AddressSanitizer|LeakSanitizer|runtime error:/);
    },
  };
}

function connect(port, password = SA_PASSWORD) {
  const connection = new Connection({
    server: '127.0.0.1',
    authentication: { type: 'default', options: { userName: 'sa', password } },
    options: { port, encrypt: false, trustServerCertificate: true, database: 'master', connectTimeout: 10000 },
  });
  connection.infos = [];
  connection.databases = [];
  connection.on('infoMessage', (info) => connection.infos.push(info));
  connection.on('databaseChange', (name) => connection.databases.push(name));
  return new Promise((resolve, reject) => {
    connection.connect((error) => (error ? reject(error) : resolve(connection)));
  });
}

// Runs a plain SQL batch; resolves with its rows (arrays of values) or
// rejects with tedious's RequestError.
function batch(connection, sql) {
  return new Promise((resolve, reject) => {
    const rows = [];
    const request = new Request(sql, (error) => (error ? reject(error) : resolve(rows)));
    request.on('row', (columns) => rows.push(columns.map((column) => column.value)));
    connection.execSqlBatch(request);
  });
}

// Runs a batch; resolves with its rows as objects keyed by column name.
function batchNamed(connection, sql) {
  return new Promise((resolve, reject) => {
    const rows = [];
    const request = new Request(sql, (error) => (error ? reject(error) : resolve(rows)));
    request.on('row', (columns) => rows.push(Object.fromEntries(columns.map((c) => [c.metadata.colName, c.value]))));
    connection.execSqlBatch(request);
  });
}

function close(connection) {
  return new Promise((resolve) => {
    connection.on('end', resolve);
    connection.close();
  });
}

test('logs in, reads rows with Chinese text, and reports errors with their numbers', async () => {
  const emulator = await startEmulator();
  try {
    const connection = await connect(emulator.port);
    await batch(connection, 'CREATE DATABASE ted_db');
    await batch(connection, 'USE ted_db');
    assert.deepEqual(connection.databases.slice(-1), ['ted_db']);
    assert.ok(connection.infos.some((info) => info.number === 5701 && info.message === "Changed database context to 'ted_db'."));
    await batch(connection, 'CREATE TABLE t (id int, name nvarchar(20))');
    await batch(connection, "INSERT INTO t VALUES (1, N'单店'), (2, NULL)");
    assert.deepEqual(await batch(connection, 'SELECT id, name FROM t'), [[1, '单店'], [2, null]]);

    await assert.rejects(batch(connection, 'SELECT * FROM no_such_table'), (error) => {
      assert.equal(error.number, 208);
      assert.equal(error.message, "Invalid object name 'no_such_table'.");
      return true;
    });
    await assert.rejects(batch(connection, 'CREATE DATABASE ted_db'), (error) => error.number === 1801 && error.state === 3);
    await close(connection);
  } finally {
    await emulator.stop();
  }
});

test('a wrong password is a login error with the server text', async () => {
  const emulator = await startEmulator();
  try {
    await assert.rejects(connect(emulator.port, 'wrong'), (error) => {
      assert.equal(error.code, 'ELOGIN');
      assert.match(error.message, /Login failed for user 'sa'\./);
      return true;
    });
  } finally {
    await emulator.stop();
  }
});

test('restore progress arrives as info messages', async () => {
  const driveC = fs.mkdtempSync(path.join(os.tmpdir(), 'emulator-tedious-'));
  const emulator = await startEmulator(['--drive', `C=${driveC}`]);
  try {
    const connection = await connect(emulator.port);
    await batch(connection, "CREATE DATABASE r ON (NAME = r_data, FILENAME = 'C:\\r.mdf') LOG ON (NAME = r_log, FILENAME = 'C:\\r.ldf')");
    await batch(connection, "BACKUP DATABASE r TO DISK = N'C:\\r.bak'");
    connection.infos.length = 0;
    await batch(connection, "RESTORE DATABASE r2 FROM DISK = N'C:\\r.bak' WITH STATS = 10, MOVE 'r_data' TO N'C:\\r2.mdf', MOVE 'r_log' TO N'C:\\r2.ldf'");
    const progress = connection.infos.filter((info) => info.number === 3211).map((info) => info.message);
    assert.deepEqual(progress, [10, 20, 30, 40, 50, 60, 70, 80, 90, 100].map((p) => `${p} percent processed.`));
    assert.ok(connection.infos.some((info) => info.number === 3014 && /^RESTORE DATABASE successfully processed \d+ pages/.test(info.message)));
    await close(connection);
  } finally {
    await emulator.stop();
    fs.rmSync(driveC, { recursive: true, force: true });
  }
});

test('cancelling a running batch is acknowledged and the connection goes on', async () => {
  const emulator = await startEmulator(['--fault', 'delay:slow_marker:5000']);
  try {
    const connection = await connect(emulator.port);
    const started = Date.now();
    const slow = batch(connection, "SELECT 'slow_marker' AS m");
    setTimeout(() => connection.cancel(), 300);
    await assert.rejects(slow, (error) => error.code === 'ECANCEL');
    assert.ok(Date.now() - started < 4000, 'the cancel ended the wait early');
    assert.deepEqual(await batch(connection, 'SELECT 7 AS n'), [[7]]);
    await close(connection);
  } finally {
    await emulator.stop();
  }
});

test('RPC requests are refused with a clear error', async () => {
  const emulator = await startEmulator();
  try {
    const connection = await connect(emulator.port);
    await assert.rejects(
      new Promise((resolve, reject) => {
        connection.execSql(new Request('SELECT 1', (error) => (error ? reject(error) : resolve())));
      }),
      /not supported by the emulator/,
    );
    assert.deepEqual(await batch(connection, 'SELECT 8 AS n'), [[8]]);
    await close(connection);
  } finally {
    await emulator.stop();
  }
});

test('a backup header and file list decode into their JavaScript types', async () => {
  const driveC = fs.mkdtempSync(path.join(os.tmpdir(), 'emulator-tedious-'));
  const emulator = await startEmulator(['--drive', `C=${driveC}`, '--machine-name', 'TILL-3']);
  try {
    const connection = await connect(emulator.port);
    await batch(connection, "CREATE DATABASE h ON (NAME = h_data, FILENAME = 'C:\\h.mdf', SIZE = 1) LOG ON (NAME = h_log, FILENAME = 'C:\\h.ldf', SIZE = 1)");
    const before = Date.now();
    await batch(connection, "BACKUP DATABASE h TO DISK = N'C:\\h.bak' WITH COPY_ONLY, INIT, NAME = N'till copy'");
    const [header] = await batchNamed(connection, "RESTORE HEADERONLY FROM DISK = N'C:\\h.bak'");
    assert.equal(header.BackupName, 'till copy');
    assert.equal(header.BackupType, 1);
    assert.equal(header.Compressed, 0);
    assert.equal(header.ServerName, 'TILL-3');
    assert.equal(header.SoftwareVersionMajor, 15);
    assert.equal(header.IsCopyOnly, true);
    assert.equal(header.IsDamaged, false);
    assert.ok(header.BackupStartDate instanceof Date);
    // tedious reads datetime as UTC by default; the server wrote local time, so allow a day either way.
    assert.ok(Math.abs(header.BackupStartDate.getTime() - before) < 86400000);
    assert.match(header.BackupSetGUID, /^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$/);
    assert.equal(header.BackupSize, fs.statSync(path.join(driveC, 'h.bak')).size);
    assert.equal(header.CompressedBackupSize, String(fs.statSync(path.join(driveC, 'h.bak')).size));
    assert.equal(header.FirstLSN, null);
    assert.equal(header.EncryptorThumbprint, null);

    const files = await batchNamed(connection, "RESTORE FILELISTONLY FROM DISK = N'C:\\h.bak' WITH FILE = 1");
    assert.deepEqual(files.map((f) => [f.LogicalName, f.Type, f.FileGroupName, f.Size, f.MaxSize, f.FileID, f.IsPresent]),
      [['h_data', 'D', 'PRIMARY', 1048576, 35184372080640, '1', true],
        ['h_log', 'L', null, 1048576, 2199023255552, '2', true]]);
    await close(connection);
  } finally {
    await emulator.stop();
    fs.rmSync(driveC, { recursive: true, force: true });
  }
});

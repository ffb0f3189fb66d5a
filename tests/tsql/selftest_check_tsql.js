#!/usr/bin/env node
// The T-SQL check itself: it passes T-SQL and allow-listed forms, and fails what SQL Server
// would not read or what only SQLite knows, naming each.
//   selftest_check_tsql.js --parser DIR --allow FILE
'use strict';
const assert = require('assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

const args = process.argv.slice(2);
const option = (name) => args[args.indexOf(`--${name}`) + 1];
const check = path.join(__dirname, 'check_tsql.js');

function run(mode, target) {
    const r = spawnSync(process.execPath, [check, '--parser', option('parser'), '--allow',
        option('allow'), `--${mode}`, target], { encoding: 'utf8' });
    const failed = r.stdout.split('\n').filter((l) => l.startsWith('FAIL: ')).map((l) => l.slice(6));
    return { code: r.status, failed, out: r.stdout + r.stderr };
}

const passing = [
    "select top 5 File_Name from Tbl_File_Information where File_Name like '%a''b%'",
    "if not EXISTS(select * from t where a='1') insert into t(a)values('1')",
    "delete tbl_user_login_time where uid='clerk1'",
    "update Tbl_File_Data set file_data=? where file_no='7'",
    'SAVE TRANSACTION scrollkin_2',
    "insert into t(a,b) values(N'Zoë','x')",
];
const failing = [
    'select a from t limit 5',
    "select datetime('now','localtime')",
    "update t set a='it's' where b='1'",
    'PRAGMA page_size',
    "delete t where a=(",
    "select a || b from t where c='1'",
    "insert into t(a) values('x'",
];

const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'tsql-selftest-'));
try {
    const lines = [...passing, ...failing].map((sql, i) => JSON.stringify({ p: `t${i % 2}`, sql }));
    fs.writeFileSync(path.join(folder, 'sql-1.jsonl'), lines.slice(0, 7).join('\n') + '\n');
    // A second process's file, with a line cut short as by a killed process.
    fs.writeFileSync(path.join(folder, 'sql-2.jsonl'), lines.slice(7).join('\n') + '\n{"p":"t9","sq');
    const r = run('record', folder);
    assert.strictEqual(r.code, 1, r.out);
    assert.deepStrictEqual(r.failed.sort(), [...failing].sort(), r.out);
    assert.match(r.out, /13 distinct recorded statement forms: 3 read by the parser, 3 allowed, 7 failed/);
    assert.deepStrictEqual(fs.readdirSync(folder), [], 'the record is read once');

    assert.strictEqual(run('record', folder).code, 1, 'an empty record fails');

    // A script must begin with the collation guard, which passes.
    const script = path.join(folder, 'schema.sql');
    const tables = 'CREATE TABLE a (x int NULL CONSTRAINT DF_x DEFAULT 0);\nGO\n' +
        'CREATE TABLE b (y nvarchar(8) NULL);\nGO\n';
    fs.writeFileSync(script, tables);
    const unguarded = run('script', script);
    assert.strictEqual(unguarded.failed.length, 1, unguarded.out);
    fs.writeFileSync(script, "-- a comment\nDECLARE @collation nvarchar(128) = CAST(DATABASEPROPERTYEX(" +
        "DB_NAME(), 'Collation') AS nvarchar(128));\nIF '_' + @collation + '_' NOT LIKE '%[_]CI[_]%'\n" +
        "BEGIN\n    RAISERROR(N'Needs a CI collation, not %s.', 16, 1, @collation);\n" +
        '    SET NOEXEC ON;\nEND\nGO\n' + tables);
    assert.strictEqual(run('script', script).code, 0, run('script', script).out);
    fs.appendFileSync(script, 'CREATE TABLE c (z int NULL DEFAULT datetime());\nGO\n');
    const bad = run('script', script);
    assert.strictEqual(bad.code, 1, bad.out);
    assert.strictEqual(bad.failed.length, 1, bad.out);
} finally {
    fs.rmSync(folder, { recursive: true, force: true });
}
console.log('the T-SQL check passes what it should and fails what it should');

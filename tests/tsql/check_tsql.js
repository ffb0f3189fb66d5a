#!/usr/bin/env node
// Checks SQL texts as T-SQL with an independent parser (node-sql-parser, TransactSQL dialect):
//   check_tsql.js --parser DIR --allow FILE --record FOLDER   the statements the tests recorded
//   check_tsql.js --parser DIR --allow FILE --script FILE     a creation script, batch by batch
// A text passes when the parser reads it as statements of kinds the program sends and it uses
// nothing that only SQLite knows; otherwise it must match a form of the allow-list. Exit 0 when
// everything passes, 1 when anything fails or the parser is missing.
'use strict';
const fs = require('fs');
const path = require('path');

function usage(message) {
    console.error(message);
    process.exit(2);
}

function options(argv) {
    const o = {};
    for (let i = 0; i < argv.length; i += 2) {
        const key = argv[i].replace(/^--/, '');
        if (!['parser', 'allow', 'record', 'script', 'report'].includes(key) || i + 1 >= argv.length)
            usage(`unknown or incomplete option ${argv[i]}`);
        o[key] = argv[i + 1];
    }
    if (!o.parser || !o.allow || !o.record === !o.script)
        usage('usage: check_tsql.js --parser DIR --allow FILE (--record FOLDER | --script FILE)');
    return o;
}

function load_parser(dir) {
    const module = path.join(dir, 'node_modules', 'node-sql-parser', 'build', 'transactsql');
    try {
        const { Parser } = require(module);
        return new Parser();
    } catch (e) {
        console.error(`FAIL: the T-SQL parser is not installed (${module}: ${e.code || e.message}).`);
        console.error('scripts/deps installs it with npm; run it, then the tests again.');
        process.exit(1);
    }
}

// The allow-list: blocks of "form:", "why:" and an optional "rewrite: REGEX => REPLACEMENT"
// that turns the text into one the parser reads, so the rest of it is still checked.
function load_allow_list(file) {
    const entries = [];
    let entry = null;
    for (const [n, raw] of fs.readFileSync(file, 'utf8').split('\n').entries()) {
        const line = raw.trim();
        if (line === '' || line.startsWith('#'))
            continue;
        const m = /^(form|why|rewrite):\s*(.*)$/.exec(line);
        if (!m)
            usage(`${file}:${n + 1}: expected "form:", "why:" or "rewrite:"`);
        const [, key, value] = m;
        if (key === 'form') {
            entry = { form: new RegExp(value, 'is'), text: value, why: '', used: 0, line: n + 1 };
            entries.push(entry);
        } else if (!entry) {
            usage(`${file}:${n + 1}: "${key}:" before any "form:"`);
        } else if (key === 'why') {
            entry.why = value;
        } else {
            const r = /^(.*?)\s+=>\s?(.*)$/.exec(value);
            if (!r)
                usage(`${file}:${n + 1}: rewrite must read "REGEX => REPLACEMENT"`);
            entry.rewrite = { from: new RegExp(r[1], 'igs'), to: r[2] };
        }
    }
    for (const e of entries)
        if (!e.why)
            usage(`${file}:${e.line}: the form ${e.text} gives no reason ("why:")`);
    return entries;
}

// Kinds of statement the program and its scripts send. The parser also reads any "word word"
// as a procedure call assigned to a variable; a text read only that way is no statement of ours.
const KINDS = new Set(['select', 'insert', 'update', 'delete', 'if', 'create', 'drop', 'set', 'declare']);
// A creation script's first batch refuses a database whose collation compares names case by
// case (the program writes tbl_user, TBL_USER and Tbl_User for one table) before anything exists.
const COLLATION_GUARD =
    /DATABASEPROPERTYEX\(DB_NAME\(\),\s*'Collation'\).*\bNOT LIKE '%\[_\]CI\[_\]%'.*\bRAISERROR\(.*\bSET NOEXEC ON\b/is;
// Functions that SQLite has and SQL Server does not (the rewriter's targets, mostly).
const SQLITE_ONLY = new Set(['datetime', 'length', 'substr', 'ifnull', 'group_concat', 'strftime',
    'julianday', 'printf', 'instr', 'zeroblob', 'randomblob', 'last_insert_rowid', 'changes']);

function function_name(node) {
    const n = node.name;
    if (typeof n === 'string')
        return n;
    if (n && Array.isArray(n.name))
        return n.name.map((part) => part.value).join('.');
    return '';
}

// Problems the parser lets through: returns a text, or null when the tree is T-SQL.
function dialect_problem(ast) {
    const statements = Array.isArray(ast) ? ast : [ast];
    for (const s of statements)
        if (!s || !KINDS.has(s.type))
            return 'not read as a statement (the parser took it for a procedure call)';
    const seen = new Set();
    const walk = (node) => {
        if (!node || typeof node !== 'object' || seen.has(node))
            return null;
        seen.add(node);
        if (node.type === 'select' && node.limit && node.limit.value && node.limit.value.length)
            return 'LIMIT is not T-SQL (top is)';
        if (node.type === 'function' && SQLITE_ONLY.has(function_name(node).toLowerCase()))
            return `${function_name(node)}() is a SQLite function`;
        if (node.type === 'binary_expr' && node.operator === '||')
            return '|| is not T-SQL concatenation';
        for (const value of Object.values(node)) {
            const problem = walk(value);
            if (problem)
                return problem;
        }
        return null;
    };
    return walk(statements);
}

function parse_problem(parser, sql) {
    try {
        return dialect_problem(parser.astify(sql, { database: 'TransactSQL' }));
    } catch (e) {
        return String(e.message).replace(/\s+/g, ' ').slice(0, 300);
    }
}

// One key per form: literals emptied, numbers made 0 (as the recorder keys them).
function form_key(sql) {
    return sql.replace(/'(?:[^']|'')*'/g, "''").replace(/\b\d+\b/g, '0');
}

function recorded_statements(folder) {
    const statements = new Map(); // form key -> {sql, programs}
    let files = [];
    try {
        files = fs.readdirSync(folder).filter((f) => /^sql-\d+\.jsonl$/.test(f));
    } catch (e) {
        if (e.code !== 'ENOENT')
            throw e;
    }
    for (const f of files) {
        const file = path.join(folder, f);
        for (const line of fs.readFileSync(file, 'utf8').split('\n')) {
            if (!line.trim())
                continue;
            let row;
            try {
                row = JSON.parse(line);
            } catch (e) {
                continue; // a line cut short by a process that was killed while writing
            }
            const key = form_key(row.sql);
            if (!statements.has(key))
                statements.set(key, { sql: row.sql, programs: new Set() });
            statements.get(key).programs.add(row.p || '?');
        }
        // Read once: the next run of the suite records afresh, so no stale text lingers.
        fs.unlinkSync(file);
    }
    return [...statements.values()];
}

function script_batches(file) {
    const text = fs.readFileSync(file, 'utf8');
    return text.split(/^\s*GO\s*$/im)
        .map((batch) => batch.split('\n').filter((l) => !/^\s*--/.test(l)).join('\n').trim())
        .filter((batch) => batch !== '')
        .map((sql) => ({ sql, programs: new Set([path.basename(file)]) }));
}

function main() {
    const o = options(process.argv.slice(2));
    const parser = load_parser(o.parser);
    const allowed = load_allow_list(o.allow);
    const items = o.record ? recorded_statements(o.record) : script_batches(o.script);
    if (items.length === 0) {
        console.error(o.record
            ? `FAIL: no statements were recorded in ${o.record}; run the whole suite (ctest), ` +
              'whose tests record what they send before this check reads it.'
            : `FAIL: ${o.script} holds no batch.`);
        process.exit(1);
    }
    const failures = [];
    const report = [];

    let parsed = 0;
    for (const item of items) {
        const problem = parse_problem(parser, item.sql);
        if (!problem) {
            ++parsed;
            report.push(`ok       ${item.sql}`);
            continue;
        }
        const entry = allowed.find((e) => e.form.test(item.sql));
        if (!entry) {
            failures.push({ item, problem });
            report.push(`FAILED   ${item.sql}\n         ${problem}`);
            continue;
        }
        if (entry.rewrite) {
            const rewritten = item.sql.replace(entry.rewrite.from, entry.rewrite.to);
            const still = parse_problem(parser, rewritten);
            if (still) {
                failures.push({ item, problem: `allowed as "${entry.text}", but rewritten as ` +
                    `"${rewritten}" it still fails: ${still}` });
                report.push(`FAILED   ${item.sql}\n         rewritten: ${rewritten}\n         ${still}`);
                continue;
            }
        }
        ++entry.used;
        report.push(`allowed  ${item.sql}\n         ${entry.why}`);
    }
    if (o.report)
        fs.writeFileSync(o.report, report.join('\n') + '\n');
    const what = o.record ? 'distinct recorded statement forms' : `batches of ${o.script}`;
    console.log(`T-SQL check: ${items.length} ${what}: ${parsed} read by the parser, ` +
        `${items.length - parsed - failures.length} allowed, ${failures.length} failed.`);
    if (o.script && !COLLATION_GUARD.test(items[0].sql))
        failures.push({ item: items[0], problem: 'the script does not begin with the collation guard' });
    for (const e of allowed)
        if (e.used)
            console.log(`  allowed ${e.used}x: ${e.text}  (${e.why})`);
    for (const { item, problem } of failures) {
        console.log(`FAIL: ${item.sql}`);
        console.log(`      sent by ${[...item.programs].sort().join(', ')}`);
        console.log(`      ${problem}`);
    }
    if (failures.length && o.record) {
        console.log('A test\'s own SQLite statement (PRAGMA, X\'..\', ||, length()) belongs ' +
            'inside a db::Sql_Record_Pause (src/db/SqlRecord.h); a valid T-SQL form that the ' +
            'parser cannot read goes into tests/tsql/allowed-forms.txt with its reason.');
        console.log('A statement that the code no longer sends comes from an earlier partial run: ' +
            'the record is read once, so running the whole suite again leaves it out.');
    }
    process.exit(failures.length ? 1 : 0);
}

main();

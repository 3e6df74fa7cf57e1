// Prints every user table of an Access file as JSON, read by the npm package mdb-reader:
//   node mdb-reader-dump.mjs NODE_MODULES FILE
// { "Table": { "columns": [...], "rows": [[...], ...] } }; dates as ISO texts in UTC.
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { pathToFileURL } from "node:url";

const [modules, file] = process.argv.slice(2);
const { default: MDBReader } = await import(pathToFileURL(join(modules, "mdb-reader", "lib", "node", "index.js")));
const reader = new MDBReader(readFileSync(file));
const out = {};
for (const name of reader.getTableNames()) {
    const table = reader.getTable(name);
    const columns = table.getColumnNames();
    const rows = table.getData().map((row) => columns.map((c) => (row[c] instanceof Date ? row[c].toISOString() : row[c])));
    out[name] = { columns, rows };
}
process.stdout.write(JSON.stringify(out));

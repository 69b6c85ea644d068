// The control page of ecf-sim: the paper, the state and the exchanges live,
// and the controls. Everything comes from the JSON API of the same server.
'use strict';

const $ = (id) => document.getElementById(id);
const KEEP_DOCUMENTS = 2000;
const KEEP_ROLL_LINES = 5000;  // fetched at once when the printer runs flat out
const KEEP_CHEQUE_LINES = 2000;
const KEEP_LOG = 500;  // as the server keeps
const CONDITIONS = ['paperOut', 'paperNearEnd', 'coverOpen', 'offline'];

// --- formatting -----------------------------------------------------------

function money(centavos) {
  const negative = centavos < 0;
  const v = Math.abs(centavos);
  const units = Math.floor(v / 100).toString().replace(/\B(?=(\d{3})+(?!\d))/g, '.');
  return (negative ? '-' : '') + units + ',' + String(v % 100).padStart(2, '0');
}
const pad = (n, width) => String(n).padStart(width, '0');
const dateText = (d) => (d && d.year ? `${pad(d.day, 2)}/${pad(d.month, 2)}/${d.year}` : '—');
const timeText = (t) => `${pad(t.hour, 2)}:${pad(t.minute, 2)}`;
const rateText = (hundredths) => `${Math.floor(hundredths / 100)},${pad(hundredths % 100, 2)}%`;
// A one-character field (a tax rate's kind) comes as its character code.
const charOf = (c) => (typeof c === 'number' ? String.fromCharCode(c) : c);
const quantityText = (thousandths) =>
  `${Math.floor(thousandths / 1000)},${pad(thousandths % 1000, 3)}`;

function el(tag, text, className) {
  const e = document.createElement(tag);
  if (text !== undefined) e.textContent = text;
  if (className) e.className = className;
  return e;
}
function row(cells, className) {
  const tr = el('tr', undefined, className);
  for (const c of cells) {
    const td = typeof c === 'object' ? el('td', c.text, c.className) : el('td', c);
    tr.append(td);
  }
  return tr;
}
function fill(table, head, rows) {
  table.replaceChildren();
  if (head) {
    const tr = el('tr');
    for (const h of head) tr.append(el('th', h));
    table.append(tr);
  }
  for (const r of rows) table.append(r);
}
const num = (text) => ({ text, className: 'num' });

// --- talking to the server ------------------------------------------------

async function api(path, body) {
  const init = body === undefined ? {} : {
    method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body),
  };
  const res = await fetch(path, init);
  const data = await res.json().catch(() => ({}));
  if (!res.ok) throw new Error(data.error || `${res.status} ${res.statusText}`);
  return data;
}

function say(text, done) {
  $('message').textContent = text;
  $('message').className = done ? 'done' : '';
}

async function change(path, body, what) {
  try {
    await api(path, body);
    say(what, true);
  } catch (e) {
    say(e.message);
  }
  refreshState();
}

// --- the paper ------------------------------------------------------------

let lastCoo = null;   // of the receipt station's last line
let lastDoc = null;   // its document's element

function atBottom(box) { return box.scrollHeight - box.scrollTop - box.clientHeight < 40; }

function trim(box, keep) {
  while (box.childElementCount > keep) box.firstElementChild.remove();
}

function addPaper(lines) {
  const roll = $('roll');
  const cheque = $('cheque');
  const follow = [atBottom(roll), atBottom(cheque)];
  let cut = 0;
  for (const line of lines) {
    if (line.station === 'cheque') {
      cheque.append(el('div', line.text || ' '));
      continue;
    }
    if (line.coo !== lastCoo || lastDoc === null) {
      lastDoc = el('div', undefined, 'doc');
      lastDoc.append(el('span', `COO ${pad(line.coo, 6)}`, 'doc-mark'));
      roll.append(lastDoc);
      lastCoo = line.coo;
      cut++;
    }
    lastDoc.append(el('div', line.text || ' '));
  }
  if (cut) trim(roll, KEEP_DOCUMENTS);
  trim(cheque, KEEP_CHEQUE_LINES);
  if (follow[0]) roll.scrollTop = roll.scrollHeight;
  if (follow[1]) cheque.scrollTop = cheque.scrollHeight;
}

// --- the log --------------------------------------------------------------

// A byte field shows as its number, and as its character when it is one.
function byteText(b) {
  return b >= 32 && b < 127 ? `${b} '${String.fromCharCode(b)}'` : String(b);
}

function fieldsText(fields) {
  return (fields || []).map((f) =>
    `${f.name}=${typeof f.value === 'number' ? byteText(f.value) : JSON.stringify(f.value)}`)
    .join('  ');
}

function answerText(e) {
  if (!e.heard) return 'nothing: not heard';
  const a = e.answer;
  let text;
  if (a.status !== undefined) text = `${a.status} ${a.meaning}`;
  else if (a.length === 0) text = 'nothing';
  else text = `${a.length} bytes: ${a.text}${a.more ? '…' : ''}`;
  return e.fault ? `${text} (fault ${e.fault})` : text;
}

function skippedText(e) {
  return `${e.skipped} exchange(s) came faster than 1,000 a second: counted, not described` +
    (e.printed ? `; their ${e.printed} line(s) are on the paper` : '');
}

function controlText(e) {
  if (e.fault !== undefined) return ['fault', `now ${e.fault}`];
  if (e.conditions) {
    const on = Object.entries(e.conditions).filter(([, v]) => v).map(([k]) => k);
    return ['conditions', on.length ? on.join(', ') : 'all clear'];
  }
  if (e.clock) return ['clock', `set to ${e.clock.replace('T', ' ')}`];
  if (e.reset) return ['reset', `the ${e.reset}`];
  return ['change', ''];
}

function logRow(e) {
  const time = (e.at || '').slice(11);
  if (e.dropped !== undefined)
    return row([time, 'missed', `${e.dropped} exchange(s) came faster than the log`, ''], 'faulty');
  if (e.skipped !== undefined) return row([time, 'not described', skippedText(e), ''], 'faulty');
  if (e.command === undefined) {
    const [what, detail] = controlText(e);
    return row([time, `— ${what}`, detail, 'from the control page or API'], 'control');
  }
  const refused = e.answer && e.answer.status !== undefined && e.answer.status !== 0;
  const kind = !e.heard ? 'unheard' : e.fault ? 'faulty' : refused ? 'refused' : '';
  const name = e.frame === 'command' ? e.command : `${e.frame} (${e.command})`;
  const hex = (n) => n.toString(16).toUpperCase().padStart(2, '0');
  const code = e.code === undefined ? '' : ` 0x${hex(e.code)}`;
  return row([time, name + code, { text: fieldsText(e.fields), className: 'fields' },
    { text: answerText(e), className: 'answer' }], kind);
}

function addLog(entries) {
  const body = $('log').tBodies[0];
  // Thousands a second when a program drives the printer: only the rows that stay are made.
  for (const e of entries.slice(-KEEP_LOG)) body.prepend(logRow(e));
  while (body.rows.length > KEEP_LOG) body.lastElementChild.remove();
}

// --- live: snapshots, then the event stream -------------------------------

let paperSeq = 0;
let logSeq = 0;
let source = null;
let queue = [];        // events not shown yet
let syncing = true;    // the snapshots are on their way: events wait
let flushTimer = null;

function setLive(on) { $('light-stream').className = on ? 'ok' : 'bad'; }

function flush() {
  flushTimer = null;
  if (syncing) return;
  const events = queue;
  queue = [];
  const lines = [];
  const entries = [];
  for (const e of events) {
    if (e.skipped !== undefined) {
      if (e.printed) refetchPaper();  // a count: the lines are on the server's roll
    } else if (e.seq > paperSeq) {
      for (const l of e.printed || []) lines.push({ station: l.station, text: l.text, coo: e.coo });
      paperSeq = e.seq;
    }
    if (e.seq > logSeq) {
      entries.push(e);
      logSeq = e.seq;
    }
  }
  addPaper(lines);
  addLog(entries);
  if (events.length) refreshState();
}

// When the printer runs faster than the journal describes, the paper comes
// as a snapshot of its end, at most twice a second.
let paperTimer = null;
function refetchPaper() {
  if (paperTimer !== null) return;
  paperTimer = setTimeout(async () => {
    try {
      const paper = await api(`/api/paper?format=json&last=${KEEP_ROLL_LINES}`);
      $('roll').replaceChildren();
      $('cheque').replaceChildren();
      lastCoo = null;
      lastDoc = null;
      addPaper(paper.lines);
      paperSeq = Math.max(paperSeq, paper.seq);
    } catch (e) {
      say(`cannot read the paper: ${e.message}`);
    }
    paperTimer = null;
  }, 500);
}

function onEvent(message) {
  queue.push(JSON.parse(message.data));
  if (flushTimer === null) flushTimer = setTimeout(flush, 50);
}

// The snapshots first, then the events after the older of them: the stream
// replays what came in between, and what both hold is shown once.
async function resync() {
  if (source) source.close();
  source = null;
  syncing = true;
  queue = [];
  try {
    const [paper, log] = await Promise.all([api('/api/paper?format=json'), api('/api/log')]);
    follow(Math.min(paper.seq, log.seq));
    $('roll').replaceChildren();
    $('cheque').replaceChildren();
    lastCoo = null;
    lastDoc = null;
    $('log').tBodies[0].replaceChildren();
    addPaper(paper.lines);
    paperSeq = paper.seq;
    addLog(log.entries);
    logSeq = log.seq;
    syncing = false;
    flush();
    refreshState();
    document.body.dataset.ready = 'yes';
  } catch (e) {
    say(`cannot reach the printer: ${e.message}`);
    setLive(false);
    setTimeout(resync, 1000);
  }
}

function follow(after) {
  source = new EventSource(`/api/events?after=${after}`);
  for (const type of ['exchange', 'control', 'dropped', 'skipped'])
    source.addEventListener(type, onEvent);
  source.addEventListener('behind', () => resync());
  source.onopen = () => setLive(true);
  source.onerror = () => {
    setLive(false);
    source.close();
    setTimeout(resync, 1000);
  };
}

// --- the state ------------------------------------------------------------

let stateTimer = null;
let clockOffsetMs = 0;   // the printer's clock minus this computer's
let clockEdited = false; // the clock field holds a time typed in: leave it

function refreshState() {
  if (stateTimer !== null) return;
  stateTimer = setTimeout(async () => {
    try {
      const state = await api('/api/state');
      clockOffsetMs = Date.parse(state.clock) - Date.now();
      showState(state);
      if (!clockEdited) $('clock-time').value = state.clock;
    } catch (e) {
      say(`cannot read the state: ${e.message}`);
    }
    stateTimer = null;
  }, 200);  // at most five a second, however fast the printer works
}

function taxLabel(m, index) {
  if (index === 17) return 'F1';
  if (index === 18) return 'I1';
  if (index === 19) return 'N1';
  const t = m.taxRates[index - 1];
  return t ? `${charOf(t.kind)}${pad(index, 2)}` : `?${index}`;
}

function showDocument(s) {
  const m = s.model;
  const d = s.document;
  const box = $('document');
  box.replaceChildren();
  if (d.kind === 'none') {
    box.append(el('p', 'none open'));
    return;
  }
  if (d.kind === 'non-fiscal receipt') {
    box.append(el('p', `non-fiscal receipt "${d.name}", COO ${pad(d.coo, 6)}, ${d.lines} line(s)`));
    return;
  }
  if (d.kind === 'linked voucher') {
    box.append(el('p', `linked voucher, COO ${pad(d.coo, 6)} for receipt ${pad(d.linkedCoo, 6)}, ` +
      `payment type ${d.paymentType}, ${money(d.amount)}`));
    return;
  }
  box.append(el('p', `fiscal receipt COO ${pad(d.coo, 6)} CCF ${pad(d.ccf, 6)}: ${d.state}`));
  const items = el('table', undefined, 'grid');
  fill(items, ['#', 'item', 'qty', 'unit price', 'tax', 'total'], m.receipt.items.map((i) =>
    row([i.number, [i.code, i.description].filter(Boolean).join(' '), num(quantityText(i.quantity)),
      num(money(i.unitPrice)), taxLabel(m, i.taxIndex),
      num(money(i.total - i.discount) + (i.discount ? ` (-${money(i.discount)})` : ''))],
    i.cancelled ? 'cancelled' : '')));
  box.append(items);
  const totals = el('table', undefined, 'pairs');
  const lines = [['subtotal', money(d.gross)]];
  if (m.receipt.subtotalDiscount) lines.push(['discount', `-${money(m.receipt.subtotalDiscount)}`]);
  if (m.receipt.subtotalSurcharge)
    lines.push(['surcharge', `+${money(m.receipt.subtotalSurcharge)}`]);
  lines.push(['due', money(d.due)], ['paid', money(d.paid)]);
  if (d.change) lines.push(['change', money(d.change)]);
  fill(totals, null, lines.map((l) => row(l)));
  box.append(totals);
}

function showDay(s) {
  const m = s.model;
  const today = s.clock.slice(0, 10);
  const iso = (d) => `${d.year}-${pad(d.month, 2)}-${pad(d.day, 2)}`;
  let status;
  if (m.lastReductionDate.year && iso(m.lastReductionDate) >= today)
    status = "today's Z reduction is done: no sales until tomorrow";
  else if (!m.day.opened.year) status = 'no movement yet';
  else if (iso(m.day.opened) < today)
    status = `open since ${dateText(m.day.opened)}: a Z reduction is due`;
  else status = `open since ${dateText(m.day.opened)}`;
  $('day-status').textContent = status;
  const d = m.day;
  fill($('day'), null, [
    ['grand total', money(m.grandTotal)], ['gross sales', money(d.gross)],
    ['net sales', money(d.net)],
    ['item discounts', money(d.itemDiscounts)], ['subtotal discounts', money(d.subtotalDiscounts)],
    ['surcharges', money(d.subtotalSurcharges)], ['cancelled items', money(d.cancelledItems)],
    ['cancelled receipts', `${d.cancelledReceiptCount} (${money(d.cancelledReceipts)})`],
    ['change given', money(d.change)], ['F substitution', money(d.substitution)],
    ['I exempt', money(d.exempt)], ['N not levied', money(d.notLevied)],
    ['linked vouchers', money(d.linkedVouchers)], ['receipts', d.receipts],
    ['non-fiscal documents', d.nonFiscalDocuments], ['first COO', pad(d.firstCoo, 6)],
  ].map((l) => row(l)));
}

function showTables(m) {
  fill($('tax-rates'), ['#', 'kind', 'rate', 'sold today'], m.taxRates.map((t, i) =>
    (t.programmed
      ? row([i + 1, charOf(t.kind), num(rateText(t.rate)), num(money(t.dayTotal))]) : null))
    .filter(Boolean));
  fill($('payment-types'), ['#', 'name', 'today', 'shift'], m.paymentTypes.map((p, i) =>
    (p.programmed ? row([i + 1, p.name, num(money(p.dayTotal)), num(money(p.shiftTotal))]) : null))
    .filter(Boolean));
  fill($('documents'), ['#', 'name', 'today', 'in all'], m.documents.map((d, i) =>
    (d.programmed ? row([i + 1, d.name, num(d.dayCount), num(d.totalCount)]) : null))
    .filter(Boolean));
  fill($('owners'), ['owner', 'CGC', 'IE', 'since', 'until'], m.owners.map((o, i) =>
    row([i + 1, o.cgc, o.ie, `${dateText(o.start.date)} ${timeText(o.start)}`,
      o.ended ? `${dateText(o.end.date)} ${timeText(o.end)}` : 'now'])));
  const shown = m.reductions.slice(-30).reverse();
  const rows = shown.map((z) => row([pad(z.number, 4), pad(z.restart, 4),
    `${dateText(z.when.date)} ${timeText(z.when)}`, num(money(z.total))]));
  if (m.reductions.length > shown.length)
    rows.push(row(['', '', `and ${m.reductions.length - shown.length} earlier`, '']));
  if (!rows.length) rows.push(row(['', '', 'no Z reduction yet', '']));
  fill($('reductions'), ['CRZ', 'CRO', 'date', 'gross'], rows);
}

function showLights(s) {
  const c = s.conditions;
  $('light-line').className = c.offline ? 'bad' : 'ok';
  $('light-paper').className = c.paperOut ? 'bad' : c.paperNearEnd ? 'warn' : 'ok';
  $('light-cover').className = c.coverOpen ? 'bad' : 'ok';
  $('light-fault').className = s.fault === 'none' ? '' : 'warn';
  for (const name of CONDITIONS) $(name).checked = c[name];
  $('fault-now').textContent = s.fault;
}

function showState(s) {
  const m = s.model;
  const e = m.equipment;
  $('equipment').textContent = `${e.model} · ${e.serial} · firmware ${e.firmware}`;
  showLights(s);
  showDocument(s);
  const c = m.counters;
  fill($('counters'), null, [
    ['COO', pad(c.coo, 6)], ['CCF', pad(c.ccf, 6)], ['GNF', pad(c.gnf, 6)], ['CDC', pad(c.cdc, 4)],
    ['CRZ', pad(c.crz, 4)], ['CRO', pad(c.cro, 4)], ['cancelled receipts', c.cfc],
    ['managerial reductions', c.managerialReductions], ['authentications', c.authentications],
    ['drawer', m.drawerOpen ? 'open' : 'closed'], ['last status byte', m.lastStatus],
  ].map((l) => row(l)));
  showDay(s);
  showTables(m);
}

function tickClock() {
  const t = new Date(Date.now() + clockOffsetMs);
  $('clock').textContent = `${pad(t.getDate(), 2)}/${pad(t.getMonth() + 1, 2)}/${t.getFullYear()} ` +
    `${pad(t.getHours(), 2)}:${pad(t.getMinutes(), 2)}:${pad(t.getSeconds(), 2)}`;
}

// --- the controls ---------------------------------------------------------

function faultSpec() {
  const kind = $('fault-kind').value;
  if (kind === 'none') return 'none';
  let spec = kind;
  if (['late', 'short', 'status'].includes(kind)) spec += `:${$('fault-value').value || 0}`;
  const every = Number($('fault-every').value || 1);
  return every > 1 ? `${spec}/${every}` : spec;
}

function confirmThen(text, action) {
  const dialog = $('confirm');
  $('confirm-text').textContent = text;
  dialog.onclose = () => { if (dialog.returnValue === 'yes') action(); };
  dialog.returnValue = '';
  dialog.showModal();
}

function wireControls() {
  for (const name of CONDITIONS) {
    $(name).addEventListener('change', (ev) => {
      const label = ev.target.parentElement.textContent.trim();
      const on = ev.target.checked;
      change('/api/condition', { [name]: on }, `${label}: ${on ? 'on' : 'off'}`);
    });
  }
  const showValue = () => {
    $('fault-value-label').hidden = !['late', 'short', 'status'].includes($('fault-kind').value);
  };
  $('fault-kind').addEventListener('change', showValue);
  showValue();
  $('fault-form').addEventListener('submit', (ev) => {
    ev.preventDefault();
    const spec = faultSpec();
    change('/api/fault', { fault: spec }, `fault: ${spec}`);
  });
  $('clock-form').addEventListener('submit', (ev) => {
    ev.preventDefault();
    let time = $('clock-time').value;
    if (time.length === 16) time += ':00';
    clockEdited = false;
    change('/api/clock', { time }, `clock set to ${time.replace('T', ' ')}`);
  });
  $('clock-host').addEventListener('click', () =>
    change('/api/clock', { time: 'host' }, "the clock follows the computer's again"));
  $('reset-day').addEventListener('click', () => confirmThen(
    'Reset the day? The document in progress is dropped unprinted and the day\'s totals clear, ' +
    'without a Z reduction. Counters, tables and the fiscal memory stay.',
    () => change('/api/reset', { reset: 'day' }, 'the day was reset')));
  $('reset-printer').addEventListener('click', () => confirmThen(
    'Reset the whole printer? It starts over as installed today: counters, tables, ' +
    'the fiscal memory and the day are all lost.',
    () => change('/api/reset', { reset: 'printer' }, 'the printer was reset')));
}

function start() {
  wireControls();
  $('clock-time').addEventListener('input', () => { clockEdited = true; });
  setInterval(tickClock, 1000);
  resync();
}

start();

// The page of lqhost serve. The board is drawn from the server's JSON; every mouse event on the
// board goes to the server, where the host hands it to the plug-in's active tool; what the tool
// paints comes back as SVG and is shown over the board. Board units are nanometres; the SVG's
// user units are micrometres with y pointing up, as in lqhost's pictures.
"use strict";

const SVG_NS = "http://www.w3.org/2000/svg";
const UPLOAD_LIMIT = 32 * 1024 * 1024;  // as the server's limit
const DRAG_PIXELS = 4;                  // a press that moves further is a drag, not a click
const DOUBLE_CLICK_MS = 500;
const MOVE_GRID = 100000;               // drags move parts in steps of 0.1 mm (Alt: 1 µm)

const $ = (id) => document.getElementById(id);
const svg = $("board");

const page = {
  geometry: null,       // /api/board
  state: null,          // /api/state
  view: null,           // viewBox {x, y, w, h} in µm
  seenMessage: null,    // the last message shown
  timings: [],          // ms from a press on the board (or undo, redo) to the page showing the answer
  lastRevision: 0,
  pending: 0,           // requests not answered yet
};
window.lqPage = page;

function esc(text) {
  return String(text).replace(/[&<>"']/g, (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;", "'": "&#39;" })[c]);
}
const um = (nm) => nm / 1000;

// ---- talking to the host --------------------------------------------------------------------

let queue = Promise.resolve();

// Requests run one after another, so the host sees the user's events in their order.
function request(method, path, body, options = {}) {
  const run = async () => {
    const zoom = currentZoom();
    const url = path + (zoom ? (path.includes("?") ? "&" : "?") + "zoom=" + zoom : "");
    const init = { method, headers: {} };
    if (body instanceof FormData) init.body = body;
    else if (method !== "GET") { init.headers["Content-Type"] = "application/json"; init.body = JSON.stringify(body || {}); }
    let response;
    try { response = await fetch(url, init); } catch (e) { showError("the page host does not answer: " + e.message); throw e; }
    const text = await response.text();
    let json = null;
    try { json = JSON.parse(text); } catch (e) { json = { error: text || response.statusText }; }
    if (response.status === 413 && !json.error) json.error = "upload: more than 32 MiB; the page host takes boards up to that size";
    if (!response.ok) {
      const error = new Error(json.error || response.statusText);
      error.status = response.status;
      if (!options.quiet) showError(error.message);
      refreshSoon();
      throw error;
    }
    return json;
  };
  page.pending++;
  const result = queue.then(run, run).finally(() => page.pending--);
  queue = result.catch(() => {});
  return result;
}

async function change(path, body, options) {
  const state = await request("POST", path, body, options);
  if (!options || !options.keepError) hideError();
  await applyState(state);
  return state;
}

let refreshing = null, refreshAgain = false;
function refresh() {
  if (refreshing) { refreshAgain = true; return refreshing; }
  refreshing = request("GET", "/api/state").then(applyState).catch(() => {}).finally(() => {
    refreshing = null;
    if (refreshAgain) { refreshAgain = false; refresh(); }
  });
  return refreshing;
}
let refreshTimer = null;
function refreshSoon(delay = 30) { clearTimeout(refreshTimer); refreshTimer = setTimeout(refresh, delay); }

function listen() {
  const events = new EventSource("/api/events");
  events.onmessage = (e) => { if (Number(e.data) > page.lastRevision) refresh(); };
  events.onerror = () => {
    // A closed stream (refused, or the host gone) is not reopened by the browser: ask now and then.
    if (events.readyState === EventSource.CLOSED) setTimeout(() => { refresh(); listen(); }, 2000);
  };
}

// ---- the view -------------------------------------------------------------------------------

function currentZoom() {
  if (!page.view) return 0;
  const width = svg.clientWidth || 1;
  return Math.max(1, Math.round((page.view.w * 1000) / width));
}

function setView(v) {
  page.view = v;
  const box = `${v.x} ${v.y} ${v.w} ${v.h}`;
  svg.setAttribute("viewBox", box);
  $("paint").setAttribute("viewBox", box);
}

function boardBounds() {
  let minX = Infinity, minY = Infinity, maxX = -Infinity, maxY = -Infinity;
  const add = (x, y) => { minX = Math.min(minX, x); maxX = Math.max(maxX, x); minY = Math.min(minY, y); maxY = Math.max(maxY, y); };
  for (const p of page.geometry.parts) {
    add(p.outline[0], p.outline[1]); add(p.outline[2], p.outline[3]);
    for (const pin of p.pins) { add(pin.pad[0], pin.pad[1]); add(pin.pad[2], pin.pad[3]); }
  }
  for (const t of page.geometry.tracks) { add(t[0], t[1]); add(t[2], t[3]); }
  for (const v of page.geometry.vias) add(v[0], v[1]);
  if (minX > maxX) { add(0, 0); add(1e6, 1e6); }
  return { minX, minY, maxX, maxY };
}

function fit() {
  if (!page.geometry || !page.geometry.parts) return;
  const b = boardBounds();
  const width = svg.clientWidth || 800, height = svg.clientHeight || 600;
  const w = um(b.maxX - b.minX) * 1.08 + 1, h = um(b.maxY - b.minY) * 1.08 + 1;
  // The board goes above the legend, which would otherwise cover its lower edge. (The legend may
  // still be hidden when a board is first fitted.)
  const room = Math.max(height - (($("legend").offsetHeight || 24) + 12), height / 2);
  const scale = Math.max(w / width, h / room);
  const cx = um(b.minX + b.maxX) / 2, cy = -um(b.minY + b.maxY) / 2;
  setView({ x: cx - (width * scale) / 2, y: cy - (room * scale) / 2, w: width * scale, h: height * scale });
}

// Where a mouse event is on the board, in nm.
function boardPoint(e) {
  const p = svg.createSVGPoint();
  p.x = e.clientX; p.y = e.clientY;
  const u = p.matrixTransform(svg.getScreenCTM().inverse());
  return { x: Math.round(u.x * 1000), y: Math.round(-u.y * 1000) };
}

function zoomAt(e, factor) {
  const p = svg.createSVGPoint();
  p.x = e.clientX; p.y = e.clientY;
  const u = p.matrixTransform(svg.getScreenCTM().inverse());
  const v = page.view;
  setView({ x: u.x - (u.x - v.x) * factor, y: u.y - (u.y - v.y) * factor, w: v.w * factor, h: v.h * factor });
}

// ---- drawing --------------------------------------------------------------------------------

function rectAttrs(r) {
  const x = Math.min(r[0], r[2]), y = Math.max(r[1], r[3]);
  return `x="${um(x)}" y="${-um(y)}" width="${um(Math.abs(r[2] - r[0]))}" height="${um(Math.abs(r[3] - r[1]))}"`;
}

function drawGeometry() {
  const g = page.geometry;
  let out = '<g class="copper">';
  for (const p of g.polygons) {
    const points = [];
    for (let i = 0; i + 1 < p.length; i += 2) points.push(`${um(p[i])},${-um(p[i + 1])}`);
    out += `<polygon points="${points.join(" ")}"/>`;
  }
  for (const t of g.tracks)
    out += `<line x1="${um(t[0])}" y1="${-um(t[1])}" x2="${um(t[2])}" y2="${-um(t[3])}" stroke-width="${Math.max(um(t[4]), 1)}"/>`;
  for (const v of g.vias) out += `<circle cx="${um(v[0])}" cy="${-um(v[1])}" r="${Math.max(um(v[2]) / 2, 1)}"/>`;
  out += "</g>";
  g.parts.forEach((part, i) => {
    const o = part.outline;
    const height = Math.abs(o[3] - o[1]), width = Math.abs(o[2] - o[0]);
    const size = Math.min(Math.max(Math.min(height * 0.6, width / (Math.max(part.ref.length, 1) * 0.65)), 5e5), 2.5e6);
    out += `<g class="part" data-part="${i}"><rect class="outline" ${rectAttrs(o)}/>`;
    part.pins.forEach((pin, j) => {
      out += `<rect class="pad" id="pad-${i}-${j}" data-pin="${esc(part.ref + "." + pin.name)}" ${rectAttrs(pin.pad)}/>`;
    });
    out += `<text class="ref" x="${um((o[0] + o[2]) / 2)}" y="${-um((o[1] + o[3]) / 2)}" font-size="${um(size)}">${esc(part.ref)}</text></g>`;
  });
  $("g-static").innerHTML = out;
}

function padCentre(index) {
  const pin = page.geometry.parts[index[0]].pins[index[1]];
  return pin.at;
}

// Sets the element's content only when what it shows changed: a click on a large board must not
// rebuild what it did not touch.
const shown = new Map();  // element id -> the key of what it shows
function setContent(id, key, build) {
  if (shown.get(id) === key) return;
  $(id).innerHTML = build();
  shown.set(id, key);
}

function drawState(s) {
  // Two paths, not an element per airwire: a board of thousands of airwires is drawn again at
  // every change, and the browser styles and lays out each element it is given.
  setContent("g-airwires", s.geometry + ":" + JSON.stringify(s.airwires), () => {
    const paths = ["", ""];
    for (const a of s.airwires) paths[a[4] ? 1 : 0] += `M${um(a[0])} ${-um(a[1])}L${um(a[2])} ${-um(a[3])}`;
    return (paths[0] ? `<path d="${paths[0]}"/>` : "") + (paths[1] ? `<path class="new" d="${paths[1]}"/>` : "");
  });

  const ring = Math.max(currentZoom() * 7, 300000);
  setContent("g-marks", [s.geometry, ring, JSON.stringify(s.selectedPins), JSON.stringify(s.changedPins)].join(":"), () => {
    let marks = "";
    for (const p of s.selectedPins) marks += `<rect class="selected-pin" ${rectAttrs(page.geometry.parts[p[0]].pins[p[1]].pad)}/>`;
    for (const p of s.changedPins) {
      const at = padCentre(p);
      marks += `<circle class="moved" cx="${um(at[0])}" cy="${-um(at[1])}" r="${um(ring)}"/>`;
    }
    return marks;
  });
  const selected = new Set(s.selectedParts);
  for (const el of $("g-static").querySelectorAll(".part")) el.classList.toggle("selected", selected.has(Number(el.dataset.part)));

  // The plug-in's own painting, made by its draw code through the host's draw context.
  setContent("g-overlay", s.overlay, () => s.overlay);
}

function pinText(index) {
  const part = page.geometry.parts[index[0]];
  return part.ref + "." + part.pins[index[1]].name;
}

function lightPin(index) {
  const g = $("g-hover");
  if (!index || !page.geometry) { g.innerHTML = ""; return; }
  const at = padCentre(index);
  g.innerHTML = `<circle class="lit" cx="${um(at[0])}" cy="${-um(at[1])}" r="${um(Math.max(currentZoom() * 12, 500000))}"/>`;
}

// ---- the host's answer on the page ----------------------------------------------------------

async function applyState(s) {
  if (!s || s.revision === undefined || s.unchanged) return;
  if (page.state && s.revision < page.state.revision) return;
  const hadBoard = page.geometry && page.geometry.parts;
  if (!page.geometry || page.geometry.revision !== s.geometry) {
    page.geometry = await request("GET", "/api/board");
    if (page.geometry.parts) {
      drawGeometry();
      if (!hadBoard || page.geometry.board !== page.boardName) { fit(); refreshSoon(0); }
      page.boardName = page.geometry.board;
    } else $("g-static").innerHTML = "";
  }
  page.state = s;
  page.lastRevision = s.revision;
  const hasBoard = Boolean(s.board);
  $("empty").hidden = hasBoard;
  $("legend").hidden = !hasBoard;
  $("board-name").textContent = hasBoard ? s.board.name : "";
  document.title = hasBoard ? `${s.board.name} – Quillon` : "Quillon";
  drawToolbar(s);
  drawFigures(hasBoard ? s : {});
  drawChanges(hasBoard ? s : { changes: [] });
  drawNotes(s);
  drawStatus(s);
  if (hasBoard) drawState(s);
  else for (const id of ["g-airwires", "g-marks", "g-overlay"]) { $(id).innerHTML = ""; shown.delete(id); }
  $("undo").disabled = !hasBoard || !s.applied;
  $("redo").disabled = !hasBoard || s.applied >= s.changes.length;
  $("save").disabled = !hasBoard;
  $("fit").disabled = !hasBoard;
  $("refine").disabled = !hasBoard;
  $("downloads").classList.toggle("disabled", !hasBoard);
  drawMessages(s);
  document.body.dataset.revision = String(s.revision);
  if (hasBoard && !performance.getEntriesByName("board-shown").length)
    requestAnimationFrame(() => performance.mark("board-shown"));
}

// ---- messages and dialogs -------------------------------------------------------------------

function showError(text) {
  $("error-text").textContent = text;
  $("error").hidden = false;
}
function hideError() { $("error").hidden = true; }

function dialog({ text, input = null, cancel = false }) {
  return new Promise((resolve) => {
    $("dialog-text").textContent = text;
    const field = $("dialog-input");
    field.hidden = input === null;
    if (input !== null) field.value = input;
    $("dialog-cancel").hidden = !cancel;
    $("dialog-back").hidden = false;
    (input !== null ? field : $("dialog-ok")).focus();
    const close = (ok) => {
      $("dialog-back").hidden = true;
      $("dialog-ok").onclick = $("dialog-cancel").onclick = field.onkeydown = null;
      resolve(ok ? (input !== null ? field.value : true) : null);
    };
    $("dialog-ok").onclick = () => close(true);
    $("dialog-cancel").onclick = () => close(false);
    field.onkeydown = (e) => { if (e.key === "Enter") close(true); if (e.key === "Escape") close(false); };
  });
}
const messageBox = (text) => dialog({ text });

// ---- the mouse on the board -----------------------------------------------------------------

let press = null;        // the left button held: {x, y, at, mode: "tool" | "part" | "background", dragging}
let pan = null;          // {x, y, view}
let pendingMove = null, moveInFlight = false;
let lastPress = null;     // the last left press with a tool, for double clicks

function hitPart(at) {
  if (!page.geometry || !page.geometry.parts) return -1;
  return page.geometry.parts.findIndex((p) => {
    const o = p.outline;
    return at.x >= Math.min(o[0], o[2]) && at.x <= Math.max(o[0], o[2]) && at.y >= Math.min(o[1], o[3]) && at.y <= Math.max(o[1], o[3]);
  });
}

// What the user pressed is answered when the page shows the host's answer.
function timed(promise, started) {
  promise.then(() => requestAnimationFrame(() => page.timings.push(performance.now() - started))).catch(() => {});
  return promise;
}

function sendMouse(events, started) {
  return timed(change("/api/mouse", { events }), started);
}

function sendHover(at) {
  pendingMove = at;
  if (moveInFlight) return;
  const next = () => {
    if (!pendingMove) { moveInFlight = false; return; }
    const point = pendingMove;
    pendingMove = null;
    moveInFlight = true;
    request("POST", "/api/mouse", { events: [{ kind: "move", x: point.x, y: point.y }] }, { quiet: true })
      .then((s) => { if (!s.unchanged && s.revision !== page.lastRevision) applyState(s); })
      .catch(() => {})
      .finally(next);
  };
  next();
}

function partsToDrag() {
  return [...$("g-static").querySelectorAll(".part.selected")];
}

function dragOffset(e, held) {
  const at = boardPoint(e);
  const dx = at.x - held.at.x, dy = at.y - held.at.y;
  const grid = e.altKey ? 1000 : MOVE_GRID;
  return { dx: Math.round(dx / grid) * grid, dy: Math.round(dy / grid) * grid };
}

svg.addEventListener("contextmenu", (e) => e.preventDefault());

svg.addEventListener("pointerdown", (e) => {
  if (!page.state || !page.state.board) return;
  const started = performance.now();
  const at = boardPoint(e);
  svg.setPointerCapture(e.pointerId);
  if (e.button === 1) { pan = { x: e.clientX, y: e.clientY, view: { ...page.view } }; e.preventDefault(); return; }
  const tool = page.state.tool !== null;
  if (e.button === 2) {
    lastPress = null;
    if (tool) timed(change("/api/mouse", { events: [{ kind: "rdown", x: at.x, y: at.y }] }), started);
    return;
  }
  if (e.button !== 0) return;
  if (e.shiftKey && tool) { pan = { x: e.clientX, y: e.clientY, view: { ...page.view } }; return; }
  if (tool) {
    // The host's mouse messages as they come: the press now, the release when it comes; the
    // second press of a double click (within the system's usual 500 ms and a few pixels) is the
    // double-click message.
    const double = lastPress && started - lastPress.time < DOUBLE_CLICK_MS &&
      Math.hypot(e.clientX - lastPress.x, e.clientY - lastPress.y) <= DRAG_PIXELS;
    lastPress = double ? null : { time: started, x: e.clientX, y: e.clientY };
    sendMouse([{ kind: double ? "dblclk" : "down", x: at.x, y: at.y }], started);
    press = { x: e.clientX, y: e.clientY, at, mode: "tool", dragging: false };
    return;
  }
  let mode = "background";
  const part = hitPart(at);
  if (part >= 0) {
    mode = "part";
    const selected = page.state.selectedParts.includes(part);
    if (!selected || e.shiftKey) timed(change("/api/select", { x: at.x, y: at.y, add: e.shiftKey }), started);
  }
  press = { x: e.clientX, y: e.clientY, at, mode, dragging: false, started };
});

svg.addEventListener("pointermove", (e) => {
  if (page.geometry && page.geometry.parts) {
    const at = boardPoint(e);
    $("status-pos").textContent = `x ${(at.x / 1e6).toFixed(3)} mm   y ${(at.y / 1e6).toFixed(3)} mm`;
    if (!press && !pan && page.state && page.state.tool !== null && e.buttons === 0) sendHover(at);
  }
  if (pan) {
    const scale = page.view.w / svg.clientWidth;
    setView({ ...pan.view, x: pan.view.x - (e.clientX - pan.x) * scale, y: pan.view.y - (e.clientY - pan.y) * scale });
    return;
  }
  if (!press) return;
  const moved = Math.hypot(e.clientX - press.x, e.clientY - press.y) > DRAG_PIXELS;
  if (!press.dragging && moved) {
    press.dragging = true;
    if (press.mode === "part") {
      // The host's move starts when the drag does.
      change("/api/move", { phase: "start" });
    } else if (press.mode === "background") {
      pan = { x: press.x, y: press.y, view: { ...page.view } };
      press = null;
      return;
    }
  }
  if (press.dragging && press.mode === "part") {
    const { dx, dy } = dragOffset(e, press);
    for (const g of partsToDrag()) g.setAttribute("transform", `translate(${um(dx)} ${-um(dy)})`);
  }
});

function release(e) {
  if (pan) { pan = null; refreshSoon(150); return; }
  if (e.button === 2 && page.state && page.state.tool !== null) {
    const at = boardPoint(e);
    change("/api/mouse", { events: [{ kind: "rup", x: at.x, y: at.y }] });
    return;
  }
  if (!press || e.button !== 0) return;
  const p = press;
  press = null;
  const at = boardPoint(e);
  if (p.mode === "tool") { change("/api/mouse", { events: [{ kind: "up", x: at.x, y: at.y }] }); return; }
  if (p.mode === "background") { timed(change("/api/select", { x: at.x, y: at.y, add: e.shiftKey }), p.started); return; }
  if (p.mode === "part" && !p.dragging && !e.shiftKey && page.state.selectedParts.length > 1) {
    // A click without a drag on one of several selected parts selects that part alone.
    timed(change("/api/select", { x: at.x, y: at.y, add: false }), p.started);
    return;
  }
  if (p.mode === "part" && p.dragging) {
    const { dx, dy } = dragOffset(e, p);
    timed(change("/api/move", { phase: "end", dx, dy }), performance.now())
      .finally(() => { for (const g of $("g-static").querySelectorAll(".part[transform]")) g.removeAttribute("transform"); });
  }
}
svg.addEventListener("pointerup", release);
svg.addEventListener("pointercancel", () => { press = null; pan = null; });

let zoomTimer = null;
svg.addEventListener("wheel", (e) => {
  if (!page.view) return;
  e.preventDefault();
  zoomAt(e, Math.pow(1.0015, e.deltaY));
  // The plug-in paints its overlay for the view's scale: ask again once the wheel rests.
  clearTimeout(zoomTimer);
  zoomTimer = setTimeout(refresh, 150);
}, { passive: false });

window.addEventListener("resize", () => { if (page.view) refreshSoon(150); });

// ---- the bar --------------------------------------------------------------------------------

$("tool-select").addEventListener("click", () => change("/api/tool", { tool: null }));
for (const b of $("moveswap").querySelectorAll("button"))
  b.addEventListener("click", () => change("/api/moveswap", { mode: Number(b.dataset.mode) }));
$("undo").addEventListener("click", () => timed(change("/api/undo"), performance.now()));
$("refine").addEventListener("click", () => change("/api/refine"));
$("redo").addEventListener("click", () => timed(change("/api/redo"), performance.now()));
$("fit").addEventListener("click", () => { fit(); refreshSoon(0); });
$("error-close").addEventListener("click", hideError);

// The menu lists the files the board is saved as (with an Eagle or KiCad board, its schematics).
// Left open, the menu would cover the tools below it and list another board's files.
document.addEventListener("pointerdown", (e) => { if (!$("downloads").contains(e.target)) $("downloads").open = false; });
$("downloads").addEventListener("toggle", async () => {
  if (!$("downloads").open) return;
  if (!page.state || !page.state.board) { $("downloads").open = false; return; }  // the keyboard still reaches it
  const names = await request("GET", "/api/download/files");
  $("dl-files").replaceChildren(...names.map((name, i) => {
    const a = document.createElement("a");
    a.href = `/api/download/file/${i}`;
    a.download = name;
    a.textContent = name;
    return a;
  }));
});

function suggestedName() {
  const name = page.state.board.name;
  const dot = name.search(/\.(qbrd\.json|json|brd|kicad_pcb)$/i);
  if (dot < 0) return name + ".swapped.qbrd.json";
  return name.slice(0, dot) + ".swapped" + name.slice(dot);
}

$("save").addEventListener("click", async () => {
  const name = (await dialog({ text: "Save the board as it is now, under this name in lqhost's save folder:", input: suggestedName(), cancel: true }) || "").trim();
  if (!name) return;
  let result;
  try {
    result = await request("POST", "/api/save", { name }, { quiet: true });
  } catch (e) {
    if (e.status !== 409) { showError(e.message); return; }
    if (!(await dialog({ text: e.message, cancel: true }))) return;
    try { result = await request("POST", "/api/save", { name, overwrite: true }); } catch (e2) { return; }
  }
  hideError();
  await messageBox(`Saved ${result.written.join(" and ")} in ${result.folder}.` + (result.notes.length ? "\n" + result.notes.join("\n") : ""));
});

$("open").addEventListener("change", async (e) => {
  const files = [...e.target.files];
  e.target.value = "";
  if (!files.length) return;
  const size = files.reduce((n, f) => n + f.size, 0);
  if (size > UPLOAD_LIMIT) { showError(`upload: ${(size / 1048576).toFixed(1)} MiB; the page host takes boards up to 32 MiB`); return; }
  const s = page.state;
  if (s && s.board && s.applied > 0) {
    const text = `Open ${files.map((f) => f.name).join(", ")}? The changes to ${s.board.name} and their undo steps leave ` +
      "the page; save it or download it first to keep them.";
    if (!(await dialog({ text, cancel: true }))) return;
  }
  const form = new FormData();
  for (const f of files) form.append("files", f, f.name);
  if ($("open-unrouted").checked) form.append("unrouted", "1");
  try { await change("/api/open", form); } catch (err) { /* shown; the open board stays */ }
});

document.addEventListener("keydown", (e) => {
  if (!$("dialog-back").hidden || e.target instanceof HTMLInputElement) return;
  if (!page.state || !page.state.board) return;
  if (e.key === "Escape") change("/api/tool", { tool: null });
  else if ((e.ctrlKey || e.metaKey) && e.key.toLowerCase() === "z" && !e.shiftKey) change("/api/undo");
  else if ((e.ctrlKey || e.metaKey) && (e.key.toLowerCase() === "y" || (e.key.toLowerCase() === "z" && e.shiftKey))) change("/api/redo");
  else if (e.key === "f" && !e.ctrlKey && !e.metaKey) { fit(); refreshSoon(0); }
  else return;
  e.preventDefault();
});

refresh().then(listen);

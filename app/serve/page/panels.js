// The page's panels beside and around the board: the plug-in's commands, the airwire figures, the
// list of changes, the status line and the plug-in's message boxes. Loaded before page.js, whose
// helpers these use when they are called.
"use strict";

function commandButton(c) {
  const b = document.createElement("button");
  b.className = "command";
  b.dataset.command = c.name;
  b.title = `${c.description} (${c.name})`;
  if (c.bitmap) {
    const img = document.createElement("img");
    img.src = "/api/bitmap/" + c.bitmap;
    img.alt = "";
    b.append(img);
  }
  const text = document.createElement("span");
  text.className = "text";
  text.textContent = c.text;
  const name = document.createElement("span");
  name.className = "name";
  name.textContent = c.name;
  b.append(text, name);
  b.addEventListener("click", () => {
    const current = page.state.commands.find((x) => x.name === c.name);
    if (current.tool !== null) change("/api/tool", { tool: current.checked ? null : current.tool });
    else change("/api/command", { name: c.name });
  });
  return b;
}

function drawToolbar(s) {
  const box = $("plugin-commands");
  const key = JSON.stringify(s.commands.map((c) => [c.name, c.text, c.bitmap]));
  if (box.dataset.key !== key) {
    box.replaceChildren(...s.commands.map(commandButton));
    box.dataset.key = key;
  }
  for (const c of s.commands) {
    const b = box.querySelector(`[data-command="${CSS.escape(c.name)}"]`);
    b.disabled = !c.enabled;
    b.setAttribute("aria-pressed", c.checked ? "true" : "false");
  }
  $("tool-select").setAttribute("aria-pressed", s.board && s.tool === null ? "true" : "false");
  $("tool-select").disabled = !s.board;
  const swaps = $("moveswap").querySelectorAll("button");
  swaps.forEach((b) => {
    const mode = Number(b.dataset.mode);
    // The plug-in's own texts for the two ways of swapping while moving.
    if (mode > 0 && s.moveSwapTexts) b.title = s.moveSwapTexts[mode];
    b.setAttribute("aria-pressed", s.moveSwap === mode ? "true" : "false");
    b.disabled = !s.board;
  });
}

function percent(before, now) {
  if (!before) return "";
  const p = ((now - before) * 100) / before;
  // As lqhost's reports print it, "+0.0 %" for no change.
  return `<span class="${p < 0 ? "better" : p > 0 ? "worse" : "same"}">${p >= 0 ? "+" : ""}${p.toFixed(1)} %</span>`;
}

// Cut to whole micrometres, not rounded, so that the page shows what lqhost's reports print.
function millimetres(nm) {
  const um = Math.floor(nm / 1000);
  return `${Math.floor(um / 1000)}.${String(um % 1000).padStart(3, "0")}`;
}

function drawFigures(s) {
  const f = s.figures;
  for (const row of $("figures").querySelectorAll("tbody tr")) {
    const key = row.dataset.figure;
    const cells = row.querySelectorAll("td");
    if (!f) { cells.forEach((c) => (c.textContent = "")); continue; }
    const show = key === "length" ? millimetres : String;
    cells[0].textContent = show(f.before[key]);
    cells[1].textContent = show(f.now[key]);
    cells[2].innerHTML = key === "airwires" ? "" : percent(f.before[key], f.now[key]);
  }
}

function drawChanges(s) {
  const list = $("changes");
  const changes = s.changes || [];
  const key = `${changes.length}/${s.applied}/${JSON.stringify(changes[changes.length - 1] || null)}`;
  if (shown.get("changes") === key) return;
  shown.set("changes", key);
  list.replaceChildren();
  $("no-changes").hidden = changes.length > 0 || !s.board;
  changes.forEach((c, i) => {
    const li = document.createElement("li");
    li.classList.toggle("undone", i >= s.applied);
    const label = document.createElement("div");
    label.className = "label";
    label.textContent = c.label;
    li.append(label);
    if (c.pins.length) {
      const table = document.createElement("table");
      for (const p of c.pins) {
        const tr = table.insertRow();
        tr.className = "pin";
        tr.insertCell().textContent = `${p.part}.${p.pin}`;
        tr.insertCell().textContent = p.oldNet || "(none)";
        tr.insertCell().textContent = "→";
        tr.insertCell().textContent = p.newNet || "(none)";
        tr.addEventListener("mouseenter", () => lightPin(p.index));
        tr.addEventListener("mouseleave", () => lightPin(null));
      }
      li.append(table);
    }
    for (const r of c.records) {
      const div = document.createElement("div");
      div.className = "record";
      const kind = r.kind === 13 ? "pin swap" : r.kind === 12 ? "gate swap" : "kind " + r.kind;
      div.textContent = `back-annotation: ${kind}, undo id ${r.undoId}: ${r.texts.map((t) => `"${t}"`).join(" ")}`;
      li.append(div);
    }
    list.append(li);
  });
  reveal(list.children[s.applied - 1] || list.lastElementChild);
}

// Scrolls the side panel to the element, clear of the figures that stay on top of it.
function reveal(element) {
  if (!element) return;
  $("side").style.scrollPaddingTop = `${$("side").firstElementChild.offsetHeight}px`;
  element.scrollIntoView({ block: "nearest" });
}

// What reading the board noted, and what the last command did when it changed nothing.
function drawNotes(s) {
  const notes = (s.board && s.board.notes) || [];
  const key = JSON.stringify(notes);
  if (shown.get("notes") !== key) {
    shown.set("notes", key);
    $("notes").replaceChildren(...notes.map((text) => Object.assign(document.createElement("li"), { textContent: text })));
    $("notes-section").hidden = notes.length === 0;
  }
  const fresh = Boolean(s.notice) && $("notice").textContent !== s.notice;
  $("notice").textContent = s.notice || "";
  $("notice").hidden = !s.notice;
  // The panel may have scrolled since: a notice out of sight would say nothing.
  if (fresh) reveal($("notice"));
}

function toolName(s) {
  if (s.tool === null) return "Select / move (host)";
  const c = s.commands.find((x) => x.tool === s.tool);
  return c ? `${c.text} (${c.name})` : "tool " + s.tool;
}

function drawStatus(s) {
  $("status-tool").textContent = s.board ? "Tool: " + toolName(s) : "";
  let hint = "";
  if (s.board) {
    // The two tools differ: only the pin tool's right button drops a pick, only the gate tool's
    // double click optimises.
    const gates = (s.commands.find((c) => c.tool === s.tool) || {}).name === "SwapGateTool";
    if (s.tool === null) hint = "Click a part to select it, drag it to move it; drag the background or the middle button to pan, the wheel zooms.";
    else if (s.pickMode) hint = gates ? "Click a highlighted candidate to swap, or the pick again to start over. Shift+drag pans."
      : "Click a highlighted candidate to swap, the pick again or the right button to start over. Shift+drag pans.";
    else hint = gates ? "Click a gate marker to pick it; double click a gate to optimise its pins. Shift+drag pans."
      : "Click a pin to pick it. Shift+drag pans.";
  }
  $("status-hint").textContent = hint;
  svg.style.cursor = s.cursor ? `url(/api/cursor/${s.cursor.id}) ${s.cursor.x} ${s.cursor.y}, crosshair` : "default";
}

function drawMessages(s) {
  const messages = s.messages || [];
  const last = messages.length ? messages[messages.length - 1].sequence : 0;
  if (page.seenMessage === null) { page.seenMessage = last; return; }
  const fresh = messages.filter((m) => m.sequence > page.seenMessage);
  page.seenMessage = Math.max(page.seenMessage, last);
  // The plug-in's message boxes, one OK button each, as the host shows them.
  if (fresh.length) messageBox(fresh.map((m) => m.text).join("\n"));
}

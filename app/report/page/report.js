// The pictures of a board pan and zoom together; a row of the changes table lights its pin up.
"use strict";
for (const section of document.querySelectorAll("section.board")) {
  const svgs = [...section.querySelectorAll(".pictures svg")];
  if (!svgs.length) continue;
  const home = svgs[0].getAttribute("viewBox").trim().split(/[\s,]+/).map(Number);
  let view = home.slice();
  const show = (v) => { view = v; for (const s of svgs) s.setAttribute("viewBox", v.join(" ")); };
  const scaleOf = (s) => Math.max(view[2] / s.clientWidth, view[3] / s.clientHeight);
  const userPoint = (s, e) => {
    const p = s.createSVGPoint();
    p.x = e.clientX; p.y = e.clientY;
    return p.matrixTransform(s.getScreenCTM().inverse());
  };
  for (const s of svgs) {
    let drag = null;
    s.addEventListener("wheel", (e) => {
      e.preventDefault();
      const p = userPoint(s, e), f = Math.pow(1.0015, e.deltaY);
      show([p.x - (p.x - view[0]) * f, p.y - (p.y - view[1]) * f, view[2] * f, view[3] * f]);
    }, { passive: false });
    s.addEventListener("pointerdown", (e) => { drag = { x: e.clientX, y: e.clientY, view: view.slice(), scale: scaleOf(s) }; s.setPointerCapture(e.pointerId); });
    s.addEventListener("pointermove", (e) => {
      if (!drag) return;
      show([drag.view[0] - (e.clientX - drag.x) * drag.scale, drag.view[1] - (e.clientY - drag.y) * drag.scale, drag.view[2], drag.view[3]]);
    });
    s.addEventListener("pointerup", () => { drag = null; });
    s.addEventListener("dblclick", () => show(home.slice()));
  }
  for (const row of section.querySelectorAll(".changes tr[data-x]")) {
    row.addEventListener("mouseenter", () => {
      for (const s of svgs) {
        const c = document.createElementNS("http://www.w3.org/2000/svg", "circle");
        c.setAttribute("class", "lit");
        c.setAttribute("cx", row.dataset.x);
        c.setAttribute("cy", row.dataset.y);
        c.setAttribute("r", String(Math.max(view[2], view[3]) / 60));
        s.append(c);
      }
    });
    row.addEventListener("mouseleave", () => { for (const c of section.querySelectorAll(".pictures .lit")) c.remove(); });
  }
}

// Small DOM helpers for the page's modules. `element` makes an element with
// its properties and children; the setters write only a value that differs,
// so that a state change ten times a second touches nothing whose text,
// attribute or visibility stays the same.

export function element(tag, props, children) {
  const e = document.createElement(tag);
  Object.assign(e, props || {});
  for (const c of children || [])
    e.append(c);
  return e;
}

export function setText(e, text) {
  if (e.textContent !== text)
    e.textContent = text;
}

export function setAttribute(e, name, value) {
  if (e.getAttribute(name) !== value)
    e.setAttribute(name, value);
}

export function setHidden(e, hidden) {
  if (e.hidden !== hidden)
    e.hidden = hidden;
}

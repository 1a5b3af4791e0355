// The end of the runtime's script, run once, when it has taken its printErr
// from Module (see platform/page_link.js): console.error is the page's again.
console.error = Module['consoleError'];

# Sourced: the environment of every Wine run of the project (quiet, no installer pop-ups).
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="

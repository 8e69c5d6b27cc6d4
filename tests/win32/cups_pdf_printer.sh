#!/usr/bin/env bash
# Starts a private CUPS server with one PDF printer for the printing tests of
# win32_tests.exe, without touching the system's own print server.
#
#   source tests/win32/cups_pdf_printer.sh start DIR   exports CUPS_SERVER, PICTORN_TEST_PDF_DIR
#                                                      (a Windows path) and CUPS_PDF_PID
#   tests/win32/cups_pdf_printer.sh stop DIR           stops that server (by its pid) and
#                                                      removes the printer's cups-pdf config
#
# Needs the Debian packages cups, printer-driver-cups-pdf and ghostscript, and root (the
# cups-pdf backend runs as root and reads /etc/cups/cups-pdf-<queue>.conf).
QUEUE=PictornPDF

cups_pdf_start() {
    local dir="$1"
    mkdir -p "$dir"/{etc/ppd,spool,cache,state,tmp,log,pdf}
    chmod 1777 "$dir/tmp" "$dir/pdf"
    cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
Sandboxing Relaxed
CONF
    cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
    CUPS_PDF_PID=$!
    echo "$CUPS_PDF_PID" >"$dir/cupsd.pid"
    export CUPS_SERVER="$dir/cups.sock" CUPS_PDF_PID
    local i
    for ((i = 0; i < 100; i++)); do
        [[ -S "$dir/cups.sock" ]] && lpstat -r >/dev/null 2>&1 && break
        sleep 0.05
    done
    printf 'Out %s\nAnonDirName %s\nUserUMask 0000\n' "$dir/pdf" "$dir/pdf" \
        >"/etc/cups/cups-pdf-$QUEUE.conf"
    lpadmin -p "$QUEUE" -E -v "cups-pdf:/$QUEUE" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd &&
        lpadmin -d "$QUEUE" || return 1
    # Wine sees the Unix root as drive Z:.
    export PICTORN_TEST_PDF_DIR="Z:${dir//\//\\}\\pdf"
}

cups_pdf_stop() {
    local dir="$1"
    if [[ -f "$dir/cupsd.pid" ]]; then
        kill "$(cat "$dir/cupsd.pid")" 2>/dev/null
        rm -f "$dir/cupsd.pid"
    fi
    rm -f "/etc/cups/cups-pdf-$QUEUE.conf"
}

case "${1:-}" in
start) cups_pdf_start "$2" ;;
stop) cups_pdf_stop "$2" ;;
*) echo "usage: $0 start|stop DIR" >&2 ;;
esac

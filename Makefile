# hoxdesk: `make run` starts the program, `make test` runs every test suite, `make bench` the benchmarks.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
PACKAGES := build-essential cmake pkg-config qt6-base-dev libgl-dev libjpeg62-turbo-dev \
    libcurl4-openssl-dev fonts-liberation2 googletest libgtest-dev libgmock-dev \
    libbenchmark-dev libcpp-httplib-dev libyaml-cpp-dev xvfb xauth python3 python3-xlrd \
    libjpeg-turbo-progs libssl-dev libprotobuf-dev protobuf-compiler \
    zlib1g-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CALENDAR_PORT ?= 8765

.PHONY: deps bench-deps docs-deps run test bench docs release clean

# Only `make bench` needs these: established Qt chart libraries drawing the chart frame for
# comparison (qt6-charts-dev needs the OpenGL development files without depending on them).
BENCH_PACKAGES := qt6-charts-dev libqt6opengl6-dev libqcustomplot-dev libqcustomplot2.1-qt6

# Only `make docs` needs this.
DOCS_PACKAGES := doxygen

# Installs those of the packages given that are missing.
define install_missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get -o DPkg::Lock::Timeout=600 update -q && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
	        -o DPkg::Lock::Timeout=600 $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

bench-deps: deps
	$(call install_missing,$(BENCH_PACKAGES))

docs-deps:
	$(call install_missing,$(DOCS_PACKAGES) python3)

release: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DHOXDESK_TESTS=OFF >/dev/null
	cmake --build build/release -j $(JOBS) --target hoxdesk hoxhost hoxcal

# The program runs in its own folder, where it reads back the login it remembers ("Login.txt")
# and keeps its calendar copies. The calendar service must own its port: if it cannot listen
# (another `make run`, say), the window does not start against whatever answers there.
run: release
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display found. Run it in a virtual X server:"; \
	    echo "    xvfb-run -a make run"; exit 2; fi
	@echo "\"S\" in the window saves the charts and grids into $${HOXDESK_SAVE_DIR:-build/release/app/save} (ARGS=\"--save-dir DIR\" changes it)"
	@cd build/release/app && log=../hoxcal.log && \
	{ ../tools/hoxcal --port $(CALENDAR_PORT) >$$log 2>&1 & cal=$$!; \
	trap "kill $$cal 2>/dev/null" EXIT; \
	for i in $$(seq 100); do \
	    grep -q serving $$log && break; kill -0 $$cal 2>/dev/null || break; sleep 0.1; done; \
	if ! grep -q serving $$log; then cat $$log >&2; \
	    echo "The calendar service cannot listen on port $(CALENDAR_PORT); is another" \
	        "'make run' using it? Choose another: make run CALENDAR_PORT=8766" >&2; exit 1; fi; \
	./hoxdesk --calendar-url http://127.0.0.1:$(CALENDAR_PORT)/ $(ARGS); }

test: deps
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DHOXDESK_SANITIZE=ON >/dev/null
	cmake --build build/test -j $(JOBS)
	@rt=$$(mktemp -d); chmod 700 $$rt; \
	cd build/test && XDG_RUNTIME_DIR=$$rt QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS) --timeout 600; status=$$?; rm -rf $$rt; exit $$status

bench: bench-deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DHOXDESK_TESTS=OFF -DHOXDESK_BENCH=ON >/dev/null
	cmake --build build/bench -j $(JOBS)
	@rt=$$(mktemp -d); chmod 700 $$rt; \
	for b in build/bench/bench/bench_*; do \
	    [ -x "$$b" ] || continue; echo "== $$(basename $$b)"; \
	    XDG_RUNTIME_DIR=$$rt QT_QPA_PLATFORM=offscreen $$b --benchmark_repetitions=7 \
	        --benchmark_report_aggregates_only=true --benchmark_display_aggregates_only=true \
	        | grep -E 'median|^-|^Benchmark'; done; rm -rf $$rt

# The chart engine's API reference, grouped by concept, with the examples: build/docs/html.
docs: docs-deps
	python3 docs/reference.py . build/docs
	doxygen build/docs/Doxyfile
	@echo "The reference: build/docs/html/index.html"

clean:
	rm -rf build

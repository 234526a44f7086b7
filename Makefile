# Entry points for people and CI. Each target sets the machine up first (scripts/bootstrap
# is idempotent and quick when everything is present).
BUILD ?= build
JOBS ?= $(shell nproc)
ARGS ?=
# Where `make install` puts the app (bin/, lib/x86_64-linux-gnu/vocena/, share/).
PREFIX ?= $(HOME)/.local
# ccache (installed by the bootstrap) makes rebuilds in other checkouts cheap: paths under the
# checkout are hashed relative to it, so a fresh clone elsewhere hits the same cache.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1
export CCACHE_MAXSIZE ?= 5G

.PHONY: all bootstrap configure build app run test bench deb install uninstall clean

all: build

bootstrap:
	@scripts/bootstrap test

configure: bootstrap
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOCENA_BUILD_TESTS=ON -DVOCENA_BUILD_BENCH=ON $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Starts the app (or runs a command: make run ARGS="vocab list"), installing and building only
# what the app needs: no test tools, no tests (a later `make test` adds them to the same tree).
run: app
	$(BUILD)/src/vocena $(ARGS)

app:
	@scripts/bootstrap run
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOCENA_BUILD_TESTS=OFF -DVOCENA_BUILD_BENCH=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target vocena

test: build
	@scripts/run-tests $(BUILD)

bench: build
	$(BUILD)/bench/vocena_bench
	scripts/with-xvfb $(BUILD)/bench/vocena_paste_latency
	@if [ -x $(BUILD)/bench/vocena_commit_latency ]; then \
	  echo "dbus-run-session -- scripts/with-xvfb $(BUILD)/bench/vocena_commit_latency"; \
	  dbus-run-session -- scripts/with-xvfb $(BUILD)/bench/vocena_commit_latency; \
	fi
	scripts/with-pulse $(BUILD)/bench/vocena_dictation_latency
	$(BUILD)/bench/vocena_punctuation_latency
	$(BUILD)/bench/vocena_final_pass_latency

# dist/vocena_<version>_amd64.deb for Debian 12 (CPack's DEB generator over the install rules).
deb: build
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@mkdir -p dist && cp $(BUILD)/cpack/vocena_*_amd64.deb dist/
	@ls dist/vocena_*_amd64.deb

# The binary (stripped), its sherpa-onnx libraries, the desktop entry and the icon. The list of
# installed files is kept for `make uninstall` (the install test overwrites install_manifest.txt).
install: app
	cmake --install $(BUILD) --prefix "$(PREFIX)" --strip
	@cp $(BUILD)/install_manifest.txt $(BUILD)/installed-files.txt

uninstall:
	@test -f $(BUILD)/installed-files.txt || { echo "nothing installed from $(BUILD)"; exit 1; }
	xargs -d '\n' rm -f -- < $(BUILD)/installed-files.txt
	-@rmdir "$$(dirname "$$(grep -m1 /libsherpa-onnx-c-api.so $(BUILD)/installed-files.txt)")" 2>/dev/null
	@rm $(BUILD)/installed-files.txt

clean:
	rm -rf $(BUILD)

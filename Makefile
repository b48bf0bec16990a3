# Parlavox: `make run` and `make test` install what is missing, build and go.
BUILD      ?= build
BUILD_OPT  ?= build-opt
BUILD_REL  ?= build-release
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
# The continuous-integration run (CI set) builds the project's own code with warnings as errors.
WERROR     ?= $(if $(CI),ON,OFF)

# One X server for the programs with windows. -noreset: by default the server resets itself each
# time its last client leaves, and a program whose connection it has just taken in is dropped by
# that reset before it is set up, so the tool kit fails to start; with many test programs coming
# and going, that happens now and then, the more so under load. -r: no key repeats made by the
# server, which a loaded machine would add between a test's key press and its release.
XVFB_RUN   = xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset -r"

.PHONY: all deps configure build test run bench fuzz clean

all: build

deps:
	@bash scripts/install-deps.sh

# The benches are built once, in the optimised tree (what they measure is the optimised program).
# The programs behind the pictures for review are built in both test trees, run only by
# `make screenshots`.
$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPARLAVOX_SANITIZE=ON \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DPARLAVOX_WERROR=$(WERROR) \
	  -DPARLAVOX_BENCH=OFF $(CMAKE_ARGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The whole suite twice: built with the sanitizers ($(BUILD)), then optimised without them, the
# way users build the program ($(BUILD_OPT)). Both run even when the first fails; a failure in
# either fails the target. The ThreadSanitizer run belongs to the first only.
CTEST    = ctest --output-on-failure -j $(JOBS) --timeout 600

$(BUILD_OPT)/build.ninja:
	cmake -S . -B $(BUILD_OPT) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARLAVOX_BENCH=ON \
	  -DPARLAVOX_WERROR=$(WERROR) $(CMAKE_ARGS)

# The optimised tree builds while the first suite runs: most of its tests wait on windows, timers
# and the network, and the build, at a lower priority, takes the processor time they leave. Its
# output is shown once the first suite has ended.
test: build $(BUILD_OPT)/build.ninja
	@status=0; \
	nice -n 10 cmake --build $(BUILD_OPT) -j $(JOBS) > $(BUILD_OPT)/make-test-build.log 2>&1 & \
	  optimised=$$!; \
	(cd $(BUILD) && $(XVFB_RUN) $(CTEST)) || status=1; \
	if wait $$optimised; then \
	  tail -n 1 $(BUILD_OPT)/make-test-build.log; \
	  (cd $(BUILD_OPT) && $(XVFB_RUN) $(CTEST) -E '_tsan$$') || status=1; \
	else cat $(BUILD_OPT)/make-test-build.log; status=1; fi; \
	if [ $$status -ne 0 ]; then echo "make test: FAILED (see above)"; fi; \
	exit $$status

$(BUILD_REL)/build.ninja:
	cmake -S . -B $(BUILD_REL) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARLAVOX_TESTS=OFF $(CMAKE_ARGS)

bench: deps $(BUILD_REL)/build.ninja
	cmake --build $(BUILD_REL) -j $(JOBS)
	@for b in $(BUILD_REL)/bench/*Bench; do echo "== $$b"; \
	  $(XVFB_RUN) $$b; done

# The libFuzzer targets, built with clang; each runs for FUZZ_SECONDS on its corpus, and an input
# that takes over 10 s is reported as a hang. Only they are built: the decoders' library is
# compiled for the fuzzer there, which the programs are not linked for.
FUZZ_SECONDS ?= 60
FUZZ_FLAGS = -timeout=10 -max_total_time=$(FUZZ_SECONDS)
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DPARLAVOX_FUZZ=ON -DPARLAVOX_TESTS=OFF \
	  -DPARLAVOX_BENCH=OFF $(CMAKE_ARGS)
	cmake --build build-fuzz -j $(JOBS) --target s2cRequestFuzz c2cRequestFuzz configLoadFuzz
	mkdir -p build-fuzz/corpus/s2c build-fuzz/corpus/c2c build-fuzz/corpus/config
	build-fuzz/fuzz/s2cRequestFuzz $(FUZZ_FLAGS) build-fuzz/corpus/s2c fuzz/corpus/s2c
	build-fuzz/fuzz/c2cRequestFuzz $(FUZZ_FLAGS) build-fuzz/corpus/c2c fuzz/corpus/c2c
	build-fuzz/fuzz/configLoadFuzz $(FUZZ_FLAGS) -dict=fuzz/configLoad.dict build-fuzz/corpus/config fuzz/corpus/config

run: deps $(BUILD_REL)/build.ninja
	cmake --build $(BUILD_REL) -j $(JOBS)
	@bash scripts/run-with-standin.sh $(BUILD_REL)/gui/parlavox $(BUILD_REL)/standin/parlavox-standin $(CURDIR)/data

# Pictures for review, in $(BUILD)/screenshots/: the tabbed notebook's looks (and the mini frame),
# logging in, the tool bar and the nickname panel, the profile windows, the sites panel, the site
# windows, the contacts list, the chat rooms, the transfers and comments windows, and the whole
# program's windows as they stand on the screen.
.PHONY: screenshots
screenshots: build
	cd $(BUILD) && $(XVFB_RUN) \
	  tests/widgets/notebook_screenshots screenshots
	cd $(BUILD) && $(XVFB_RUN) \
	  tests/gui/login_screenshots screenshots
	cd $(BUILD) && $(XVFB_RUN) \
	  tests/gui/main_window_screenshots screenshots
	cd $(BUILD) && $(XVFB_RUN) \
	  tests/gui/profiles_screenshots screenshots
	cd $(BUILD) && $(XVFB_RUN) \
	  tests/gui/sites_panel_screenshots screenshots
	cd $(BUILD) && $(XVFB_RUN) \
	  tests/gui/site_windows_screenshots screenshots
	cd $(BUILD) && $(XVFB_RUN) \
	  tests/gui/contacts_screenshots screenshots
	cd $(BUILD) && $(XVFB_RUN) \
	  tests/gui/rooms_screenshots screenshots
	cd $(BUILD) && $(XVFB_RUN) \
	  tests/gui/files_screenshots screenshots
	# The whole program at its default place: the docked windows, the log-in panel after a
	# refusal, the pop-ups and the tips (screen-*.png); a fault it finds is reported, not fatal here.
	-cd $(BUILD) && PARLAVOX_SCREENSHOTS=screenshots/screen $(XVFB_RUN) \
	  tests/gui/test_gui_screen --gtest_filter='OnScreen.*'

clean:
	rm -rf $(BUILD) $(BUILD_OPT) $(BUILD_REL) build-fuzz

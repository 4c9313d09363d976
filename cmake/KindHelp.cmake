# Writes the help page of the node kinds and computes its pictures with
# quil-cli: run as cmake -DCLI=... -DLIST=.../kinds.txt -DOUT=<folder> -P KindHelp.cmake
# Each line of the list is "kind|example tree|formula in words"; # starts a comment.
set(SIDE 72)
file(STRINGS "${LIST}" lines ENCODING UTF-8)
file(MAKE_DIRECTORY "${OUT}/kinds")
set(rows "")
foreach(line IN LISTS lines)
  if(line MATCHES "^#" OR line STREQUAL "")
    continue()
  endif()
  string(REPLACE "|" ";" fields "${line}")
  list(GET fields 0 kind)
  list(GET fields 1 example)
  list(GET fields 2 words)
  set(quil "${OUT}/kinds/${kind}.quil")
  file(WRITE "${quil}" "${example}\n")
  set(source "")
  if(kind STREQUAL "PIC")
    set(source --picture "${OUT}/kinds/XYM.png")
  endif()
  execute_process(COMMAND "${CLI}" render "${quil}" -o "${OUT}/kinds/${kind}.png" --size ${SIDE}x${SIDE}
                          --no-recipe ${source}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "quil-cli could not compute the help picture of ${kind} (${result})")
  endif()
  file(REMOVE "${quil}")
  string(APPEND rows "<tr><td><a name=\"${kind}\"></a><b>${kind}</b></td>"
                     "<td><img src=\"kinds/${kind}.png\" width=\"${SIDE}\" height=\"${SIDE}\"></td>"
                     "<td>${words}<br><code>${example}</code></td></tr>\n")
endforeach()
file(WRITE "${OUT}/kinds.html.new"
"<html><head><title>Node kinds</title><link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"></head><body>
<h1>Node kinds</h1>
<p>Every node of a tree is of one of these kinds. Colours are triples of red, green and blue, each from -1
(none) to 1 (full); x runs from -1 at the left edge to 1 at the right, y from -1 at the top to 1 at the
bottom. Each picture is what Quil computes for the small tree written under its formula.</p>
<table cellpadding=\"4\">
${rows}</table>
<p><a href=\"generation.html\">Random functions</a> | <a href=\"index.html\">Contents</a></p>
</body></html>
")
file(RENAME "${OUT}/kinds.html.new" "${OUT}/kinds.html")

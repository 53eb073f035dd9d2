"""Input-sheet rows from 2000 on: items of the buildings, floors and
independent parts that the forms in force added.  Row -> what column A
says."""

LABELS = {}

# Input cells that the program writes but no printed sheet reads.
UNREAD = set()

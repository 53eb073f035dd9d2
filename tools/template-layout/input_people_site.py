"""Input-sheet rows 1800-1999: items of the people (建築主等の概要) and of
the site that the forms in force added.  Row -> what column A says."""

LABELS = {}

# Input cells that the program writes but no printed sheet reads (kept
# for a user's own sheets), e.g. "D1801".
UNREAD = set()
